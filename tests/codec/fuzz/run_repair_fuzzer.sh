#!/usr/bin/env bash
# Builds the repair fuzzer with clang's libFuzzer (address and undefined-behaviour sanitizers)
# and runs it for a bounded time on seeds cut from recordings of all three formats. Fails on a
# crash, a leak, a time-out, or a file left behind.
#
#   run_repair_fuzzer.sh SOURCE_ROOT WORK_FOLDER [SECONDS]
set -euo pipefail
source "$(dirname "$0")/../../support/libfuzzer.sh"
fuzz_prepare repair "$1" "$2"
seconds=${3:-20}

fuzz_objects codec/RecordingRepair codec/WavReader codec/Mp3Duration codec/MpegFrame codec/OggDuration \
             codec/FileWindow codec/StdioVorbisFile platform/TextHelpers
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/codec/fuzz/repair_fuzz.cpp" \
    "$work"/obj/*.o -lvorbisfile -lvorbis -logg -o "$work/repair_fuzz"

# Seeds: recordings cut short. The WAVE ones in the recorder's layout (an 18-byte format record,
# the sizes still the placeholders 0 and 18) and in sox's; an MP3 with an ID3v2 tag.
sox -n -r 8000 -c 1 -b 16 "$work/tone.wav" synth 1.2 pinknoise vol 0.3
lame --quiet -b 16 "$work/tone.wav" "$work/tone.mp3"
lame --quiet -b 32 --add-id3v2 --tt Call "$work/tone.wav" "$work/tagged.mp3"
oggenc -Q -q 0 -o "$work/tone.ogg" "$work/tone.wav"
sox "$work/tone.wav" -t raw "$work/tone.raw"
{
    printf 'RIFF\0\0\0\0WAVEfmt \x12\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0\0\0'
    printf 'data\x12\0\0\0'
    head -c 5001 "$work/tone.raw"
} > "$work/seeds/open.wav"
head -c 3001 "$work/tone.wav" > "$work/seeds/sox.wav"
head -c 3000 "$work/tone.mp3" > "$work/seeds/cut.mp3"
head -c 2500 "$work/tagged.mp3" > "$work/seeds/tagged.mp3"
head -c 6000 "$work/tone.ogg" > "$work/seeds/cut.ogg"

# The fuzzer's own sentinel (a file it watches for changes) is the one file it leaves.
fuzz_may_leave='repair-*-sentinel'
fuzz_run "$work/repair_fuzz" "$seconds" -max_len=65536

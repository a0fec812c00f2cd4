#!/usr/bin/env bash
# Builds the duration fuzzer with clang's libFuzzer (address and undefined-behaviour
# sanitizers) and runs it for a bounded time on seeds made by lame and oggenc. Fails on a
# crash, a leak, a time-out, or a file left behind.
#
#   run_duration_fuzzer.sh SOURCE_ROOT WORK_FOLDER [SECONDS]
set -euo pipefail
source "$(dirname "$0")/../../support/libfuzzer.sh"
fuzz_prepare duration "$1" "$2"
seconds=${3:-30}

fuzz_objects codec/FileWindow codec/Mp3Duration codec/MpegFrame codec/OggDuration codec/StdioVorbisFile
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/codec/fuzz/duration_fuzz.cpp" \
    "$work"/obj/*.o -lvorbisfile -lvorbis -logg -o "$work/duration_fuzz"

# Seeds: short MP3 files (MPEG-2.5 and MPEG-1, one with ID3 tags) and an Ogg Vorbis file.
sox -n -r 8000 -c 1 -b 16 "$work/tone.wav" synth 0.4 sine 440
lame --quiet -b 16 "$work/tone.wav" "$work/seeds/plain.mp3"
lame --quiet -b 32 --resample 32 --add-id3v2 --tt Call "$work/tone.wav" "$work/seeds/tagged.mp3"
oggenc -Q -q 0 -o "$work/seeds/tone.ogg" "$work/tone.wav"

fuzz_run "$work/duration_fuzz" "$seconds" -max_len=65536

#!/usr/bin/env bash
# Builds the repair fuzzer with clang's libFuzzer (address and undefined-behaviour sanitizers)
# and runs it for a bounded time on seeds cut from recordings of all three formats. Fails on a
# crash, a leak, a time-out, or a file left behind.
#
#   run_repair_fuzzer.sh SOURCE_ROOT WORK_FOLDER [SECONDS]
set -euo pipefail

root=$(cd "$1" && pwd)
work=$2
seconds=${3:-20}

cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
    echo "repair fuzz: clang++ is missing (deps/debian-packages.txt lists it)" >&2
    exit 1
fi

rm -rf "$work"
mkdir -p "$work/obj" "$work/seeds" "$work/corpus" "$work/logs" "$work/run/tmp"
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=all -I"$root/src")
for source in codec/RecordingRepair codec/WavReader codec/Mp3Duration codec/MpegFrame codec/OggDuration \
              platform/TextHelpers; do
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$root/src/$source.cpp" \
        -o "$work/obj/$(basename "$source").o"
done
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

status=0
(cd "$work/run" && TMPDIR="$work/run/tmp" \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$work/repair_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/logs/repair-" \
        "$work/corpus" "$work/seeds") > "$work/logs/repair.log" 2>&1 || status=$?
# The fuzzer's own sentinel (a file it watches for changes) is the one file it leaves.
stray=$(cd "$work/run" && find . -mindepth 1 ! -path ./tmp ! -name 'repair-*-sentinel')
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/logs/repair.log" | grep -o '[0-9]*$' || true)
if [ "$status" -ne 0 ] || [ -n "$stray" ]; then
    echo "repair fuzz: FAILED (exit $status${stray:+, stray files: $stray})"
    tail -n 60 "$work/logs/repair.log"
    exit 1
fi
echo "repair fuzz: passed, ${runs:-?} inputs in ${seconds} s"
rm -rf "$work"

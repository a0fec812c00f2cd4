#!/usr/bin/env bash
# Builds the duration fuzzer with clang's libFuzzer (address and undefined-behaviour
# sanitizers) and runs it for a bounded time on seeds made by lame and oggenc. Fails on a
# crash, a leak, a time-out, or a file left behind.
#
#   run_duration_fuzzer.sh SOURCE_ROOT WORK_FOLDER [SECONDS]
set -euo pipefail

root=$(cd "$1" && pwd)
work=$2
seconds=${3:-30}

cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
    echo "duration fuzz: clang++ is missing (deps/debian-packages.txt lists it)" >&2
    exit 1
fi

rm -rf "$work"
mkdir -p "$work/obj" "$work/seeds" "$work/corpus" "$work/logs" "$work/run/tmp"
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=all -I"$root/src")
for source in Mp3Duration MpegFrame OggDuration; do
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$root/src/codec/$source.cpp" \
        -o "$work/obj/$source.o"
done
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/codec/fuzz/duration_fuzz.cpp" \
    "$work"/obj/*.o -lvorbisfile -lvorbis -logg -o "$work/duration_fuzz"

# Seeds: short MP3 files (MPEG-2.5 and MPEG-1, one with ID3 tags) and an Ogg Vorbis file.
sox -n -r 8000 -c 1 -b 16 "$work/tone.wav" synth 0.4 sine 440
lame --quiet -b 16 "$work/tone.wav" "$work/seeds/plain.mp3"
lame --quiet -b 32 --resample 32 --add-id3v2 --tt Call "$work/tone.wav" "$work/seeds/tagged.mp3"
oggenc -Q -q 0 -o "$work/seeds/tone.ogg" "$work/tone.wav"

status=0
(cd "$work/run" && TMPDIR="$work/run/tmp" \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$work/duration_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/logs/duration-" \
        "$work/corpus" "$work/seeds") > "$work/logs/duration.log" 2>&1 || status=$?
stray=$(cd "$work/run" && find . -mindepth 1 ! -path ./tmp)$(ls -A "$work/run/tmp")
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/logs/duration.log" | grep -o '[0-9]*$' || true)
if [ "$status" -ne 0 ] || [ -n "$stray" ]; then
    echo "duration fuzz: FAILED (exit $status${stray:+, stray files: $stray})"
    tail -n 60 "$work/logs/duration.log"
    exit 1
fi
echo "duration fuzz: passed, ${runs:-?} inputs in ${seconds} s"
rm -rf "$work"

#!/usr/bin/env bash
# Builds the updater's input fuzzer with clang's libFuzzer (address and undefined-behaviour
# sanitizers) and runs it for a bounded time on seeds of each kind: answers' headers,
# manifests, a minisign signature and key, and a version note. Fails on a crash, a leak, a
# time-out, or a file left behind.
#
#   run_fuzzer.sh SOURCE_ROOT WORK_FOLDER [SECONDS]
set -euo pipefail

root=$(cd "$1" && pwd)
work=$2
seconds=${3:-30}

cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
    echo "wizard fuzz: clang++ is missing (deps/debian-packages.txt lists it)" >&2
    exit 1
fi

rm -rf "$work"
mkdir -p "$work/obj" "$work/seeds" "$work/corpus" "$work/logs" "$work/run/tmp"
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=all -I"$root/src" -DAMBRIN_UPDATE_PUBLIC_KEY='""')
pids=()
for source in wizard/HttpHeader wizard/UpdateManifest wizard/MinisignSignature \
              platform/ProfileReader platform/VersionInfo platform/TextHelpers; do
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$root/src/$source.cpp" \
        -o "$work/obj/$(basename "$source").o" &
    pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/wizard/fuzz/update_input_fuzz.cpp" \
    "$work"/obj/*.o -lsodium -o "$work/update_input_fuzz"

# Seeds: the selector byte, then an input of that kind.
seed() { { printf "$1"; cat; } > "$work/seeds/$2"; }
printf 'HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello' | seed '\x00' header-200
printf 'HTTP/1.0 302 Found\r\nLocation: http://x/\r\nContent-Length: 0\r\n\r\n' | seed '\x04' header-302
printf '[UPDATE]\nMASTER=ambrin\nDEFAULT=Files\n[Files]\nCOUNT=1\nFILE0=ambrin\nURL0=http://h/a\nSAVE0=ambrin_\nSIZE0=3\nVER0=3,0,0,1\nSHA256%s=%064d\n' 0 0 | seed '\x01' manifest
echo "signed" > "$work/message"
minisign -G -W -p "$work/key.pub" -s "$work/key.sec" > /dev/null
minisign -S -s "$work/key.sec" -m "$work/message" > /dev/null
cat "$work/message.minisig" | seed '\x02' signature
cat "$work/key.pub" | seed '\x06' public-key
head -c 4096 "$(command -v ls)" | seed '\x03' elf-start

status=0
(cd "$work/run" && TMPDIR="$work/run/tmp" \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$work/update_input_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=16384 -print_final_stats=1 -artifact_prefix="$work/logs/update-" \
        "$work/corpus" "$work/seeds") > "$work/logs/update.log" 2>&1 || status=$?
# The fuzzer's own empty installation folder is the only thing it may leave.
rmdir "$work"/run/tmp/wizard-fuzz.* 2>/dev/null || true
stray=$(cd "$work/run" && find . -mindepth 1 ! -path ./tmp)$(ls -A "$work/run/tmp")
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/logs/update.log" | grep -o '[0-9]*$' || true)
if [ "$status" -ne 0 ] || [ -n "$stray" ]; then
    echo "wizard fuzz: FAILED (exit $status${stray:+, stray files: $stray})"
    tail -n 60 "$work/logs/update.log"
    exit 1
fi
echo "wizard fuzz: passed, ${runs:-?} inputs in ${seconds} s"
rm -rf "$work"

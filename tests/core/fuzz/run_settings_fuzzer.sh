#!/usr/bin/env bash
# Builds the settings-file fuzzer with clang's libFuzzer (address and undefined-behaviour
# sanitizers) and runs it for a bounded time on a settings file the program wrote itself.
# Fails on a crash, a leak, a time-out, or a value handed out beyond its range.
#
#   run_settings_fuzzer.sh SOURCE_ROOT WORK_FOLDER [SECONDS]
set -euo pipefail

root=$(cd "$1" && pwd)
work=$2
seconds=${3:-30}

cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
    echo "settings fuzz: clang++ is missing (deps/debian-packages.txt lists it)" >&2
    exit 1
fi

rm -rf "$work"
mkdir -p "$work/obj" "$work/seeds" "$work/corpus" "$work/logs" "$work/home/config" "$work/home/machine"
cmake -DEN="$root/resources/strings/en.txt" -DKO="$root/resources/strings/ko.txt" \
    -DOUT="$work/StringTableData.cpp" -P "$root/cmake/EmbedStrings.cmake"
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=all -I"$root/src")
for source in core/SettingsStore platform/Registry platform/Folders platform/TextHelpers \
              platform/StringTable; do
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$root/src/$source.cpp" \
        -o "$work/obj/$(basename "$source").o"
done
"$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$work/StringTableData.cpp" -o "$work/obj/StringTableData.o"
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/core/fuzz/settings_file_fuzz.cpp" \
    "$work"/obj/*.o -o "$work/settings_fuzz"

# Seed: every value out of its range, and a few lines of the shapes the reader must survive.
cat > "$work/seeds/hostile.conf" <<'CONF'
; Ambrin+ registry key SOFTWARE\\Tavix\\Ambrin+ v2.0
"InstallPath"="/opt/Ambrin/"
"DatabasePath"="/opt/Ambrin/db/"
"RecordFormat"=dword:ffffffff
"TimeOfCallEnd"=dword:ffffffff
"StartSoundValue"=dword:000003e8
"EndSoundValue"=dword:7fffffff
"PreRecordTime"=dword:7fffff00
"MinimumRecordTime"=dword:80000000
"OutputFormat"=dword:00000063
"AudioQuality"=dword:
"UserName"="unterminated
"Password"=hex:00,01
=dword:00000001
CONF

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" AMBRIN_MACHINE_CONFIG="$work/home/machine"
export TMPDIR="$work/home"
status=0
(cd "$work/home" && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$work/settings_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="$work/logs/settings-" \
        "$work/corpus" "$work/seeds") > "$work/logs/settings.log" 2>&1 || status=$?
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/logs/settings.log" | grep -o '[0-9]*$' || true)
if [ "$status" -ne 0 ]; then
    echo "settings fuzz: FAILED (exit $status)"
    tail -n 60 "$work/logs/settings.log"
    exit 1
fi
echo "settings fuzz: passed, ${runs:-?} inputs in ${seconds} s"
rm -rf "$work"

#!/usr/bin/env bash
# Builds the settings-file fuzzer with clang's libFuzzer (address and undefined-behaviour
# sanitizers) and runs it for a bounded time on a settings file the program wrote itself.
# Fails on a crash, a leak, a time-out, or a value handed out beyond its range.
#
#   run_settings_fuzzer.sh SOURCE_ROOT WORK_FOLDER [SECONDS]
set -euo pipefail
source "$(dirname "$0")/../../support/libfuzzer.sh"
fuzz_prepare settings "$1" "$2"
seconds=${3:-30}

cmake -DEN="$root/resources/strings/en.txt" -DKO="$root/resources/strings/ko.txt" \
    -DOUT="$work/StringTableData.cpp" -DNAMESPACE=ambrin::detail -P "$root/cmake/EmbedStrings.cmake"
fuzz_objects core/SettingsStore platform/Registry platform/Folders platform/TextHelpers \
    platform/StringTable
"$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$work/StringTableData.cpp" -o "$work/obj/StringTableData.o"
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/core/fuzz/settings_file_fuzz.cpp" \
    "$work"/obj/*.o -o "$work/settings_fuzz"

# Seed: every value out of its range, and a few lines of the shapes the reader must survive.
cat > "$work/seeds/hostile.conf" <<'CONF'
; Ambrin+ registry key SOFTWARE\Tavix\Ambrin+ v2.0
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

# The settings file lives outside the fuzzer's own folder, which must stay empty, and in
# memory where there is a memory file system: every change of it is written with fsync.
home=$(mktemp -d "$( [ -d /dev/shm ] && echo /dev/shm || echo "$work")/settings-fuzz.XXXXXX")
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config" "$home/machine"
export HOME="$home" XDG_CONFIG_HOME="$home/config" AMBRIN_MACHINE_CONFIG="$home/machine"
fuzz_run "$work/settings_fuzz" "$seconds" -max_len=8192

#!/usr/bin/env bash
# Builds the backup-entry fuzzer with clang's libFuzzer (address and undefined-behaviour
# sanitizers) and runs it for a bounded time on parts made by the zip command: hostile
# names, Windows names and a link among them. Fails on a crash, a leak, a time-out, or an
# accepted entry that would leave the recording folder.
#
#   run_fuzzer.sh SOURCE_ROOT WORK_FOLDER [SECONDS]
set -euo pipefail
source "$(dirname "$0")/../../support/libfuzzer.sh"
fuzz_prepare backup_entries "$1" "$2"
seconds=${3:-30}

fuzz_objects records/BackupArchive platform/TextHelpers
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/records/fuzz/backup_entries_fuzz.cpp" \
    "$work"/obj/*.o -lzip -o "$work/backup_entries_fuzz"

files="$work/files"
mkdir -p "$files/20120731" "$files/sub"
echo call > "$files/20120731/Kim@20120731153012.ogg"
echo windows > "$files/20120731\\Lee.ogg"
echo database > "$files/Ambrin.od2"
ln -s /etc "$files/sub/link"
(cd "$files" && zip -q -r -y "$work/seeds/part.odk" . && zip -q "$work/seeds/flat.odk" Ambrin.od2)
printf '../x' > "$work/seeds/name-dotdot"
printf 'C:\\x' > "$work/seeds/name-drive"
fuzz_run "$work/backup_entries_fuzz" "$seconds" -max_len=4096

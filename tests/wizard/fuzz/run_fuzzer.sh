#!/usr/bin/env bash
# Builds the updater's input fuzzer with clang's libFuzzer and runs it for a bounded time on
# seeds of each kind: answers' headers, manifests, a minisign signature and key, and the
# start of an ELF file.
#
#   run_fuzzer.sh SOURCE_ROOT WORK_FOLDER [SECONDS]
set -euo pipefail
source "$(dirname "$0")/../../support/libfuzzer.sh"
fuzz_prepare wizard "$1" "$2"
seconds=${3:-30}

flags+=(-DAMBRIN_UPDATE_PUBLIC_KEY='""')
fuzz_objects wizard/HttpHeader wizard/UpdateManifest wizard/MinisignSignature \
             platform/ProfileReader platform/VersionInfo platform/TextHelpers
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
seed '\x02' signature < "$work/message.minisig"
seed '\x06' public-key < "$work/key.pub"
head -c 4096 "$(command -v ls)" | seed '\x03' elf-start

# The fuzzer's empty installation folder is the one thing it leaves.
fuzz_may_leave='wizard-fuzz.*'
fuzz_run "$work/update_input_fuzz" "$seconds" -max_len=16384

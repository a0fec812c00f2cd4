#!/usr/bin/env bash
# Builds the shape image reader's fuzzer with clang's libFuzzer and runs it for a bounded
# time, seeded with the shipped shape image and a few small hand-made images.
#
#   run_fuzzer.sh SOURCE_ROOT WORK_FOLDER SHIPPED_REGION_PCX [SECONDS]
set -euo pipefail
source "$(dirname "$0")/../../support/libfuzzer.sh"
fuzz_prepare pcx "$1" "$2"
shipped=$3
seconds=${4:-20}

fuzz_objects launcher/PcxImage
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/launcher/fuzz/pcx_fuzz.cpp" \
    "$work"/obj/*.o -o "$work/pcx_fuzz"

# Seeds: the shipped shape; 16 × 2 and 9 × 1 images with runs and literals.
cp "$shipped" "$work/seeds/region.pcx"
header() {  # width-1 height-1 stride, as one byte each
    printf '\x0a\x05\x01\x01\x00\x00\x00\x00'"$1"'\x00'"$2"'\x00'
    head -c 53 /dev/zero
    printf '\x01'"$3"'\x00'
    head -c 60 /dev/zero
}
{ header '\x0f' '\x01' '\x02'; printf '\xc4\x0f'; } > "$work/seeds/runs.pcx"
{ header '\x08' '\x00' '\x02'; printf '\x81\xc1\xf0'; } > "$work/seeds/literals.pcx"

fuzz_run "$work/pcx_fuzz" "$seconds" -max_len=4096

#!/usr/bin/env bash
# Copies a program without its debugging information and with another version in its
# version note, as a release built with that AMBRIN_VERSION would carry.
#
#   stamp_version.sh SOURCE TARGET MAJOR MINOR BUILD REVISION
set -euo pipefail
source=$1 target=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
objcopy --strip-debug "$source" "$work/program"
objcopy --dump-section .note.ambrin.version="$work/note" "$work/program"
# The descriptor follows the 12-byte note header and the owner "Ambrin" padded to 8 bytes:
# four little-endian 32-bit numbers.
le32() { printf "\\x%02x\\x%02x\\x%02x\\x%02x" $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
printf "$(le32 "$3")$(le32 "$4")$(le32 "$5")$(le32 "$6")" | dd of="$work/note" bs=1 seek=20 conv=notrunc status=none
objcopy --update-section .note.ambrin.version="$work/note" "$work/program" "$target"
chmod 0755 "$target"

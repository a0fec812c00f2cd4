#!/usr/bin/env bash
# CPU of a shown, idle skin window on a real X server (Xvfb), over SECONDS (default 60).
#   bench/skin_idle_cpu.sh [SECONDS] [PACKAGE]
# Without PACKAGE the shipped default skin is used when it has been built, else a generated
# skin of the same size.
set -euo pipefail
seconds=${1:-60}
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
package=${2:-}
work=$(mktemp -d /tmp/ambskin.XXXXXX)
trap 'rm -rf "$work"' EXIT
if [ -z "$package" ]; then
  for candidate in "$build/resources/skins/Ambrin_Large.VSK" "$build/src/app/Ambrin_Large.VSK"; do
    if [ -f "$candidate" ]; then package=$candidate; break; fi
  done
fi
package=${package:--}  # "-": the generated skin
export HOME=$work XDG_RUNTIME_DIR=$work TMPDIR=$work QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x800x24" "$build/bench/ambrin_skin_show" "$package" "$seconds" \
  | grep "^shown"

#!/usr/bin/env bash
# Pictures of every setup and removal page and message, English and Korean, from the medium
# of `make medium`, into docs/screenshots/setup/{en,ko}/. Usage: scripts/setup-pictures.sh BUILD
set -euo pipefail
build=${1:-build}
repo=$(cd "$(dirname "$0")/.." && pwd)
runner=$build/tests/ambrin_setup_runner
library=$build/medium/libwizard.so
for lang in en ko; do
  id=1033; [ $lang = ko ] && id=1042
  out=$repo/docs/screenshots/setup/$lang
  rm -rf "$out"; mkdir -p "$out"
  work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/home" "$work/programs" "$work/elsewhere" "$work/install" "$work/other" "$work/remove"
  export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
         XDG_RUNTIME_DIR=$work/run AMBRIN_MACHINE_CONFIG=$work/machine AMBRIN_UI_LANG=$id \
         LANG=ko_KR.UTF-8 QT_QPA_PLATFORM=offscreen
  "$runner" --library "$library" --lang $id --folder "$work/programs" --no-start --pictures "$work/install" >/dev/null 2>&1
  # What the program writes at its first start: the folder of the installation.
  mkdir -p "$XDG_CONFIG_HOME/Tavix"
  printf '"InstallPath"="%s"\n' "$work/programs/Ambrin/" > "$XDG_CONFIG_HOME/Tavix/Ambrin+ v2.0.conf"
  "$runner" --library "$library" --lang $id --folder "$work/elsewhere" --no-start --pictures "$work/other" >/dev/null 2>&1 || true
  "$runner" --library "$library" --lang $id --uninstall --pictures "$work/remove" >/dev/null 2>&1
  for page in license folder folder-browser folder-chosen progress progress-done; do
    cp "$work/install/$page.png" "$out/setup-$page.png"
  done
  cp "$work/other/box-1.png" "$out/setup-already-installed.png"
  cp "$work/remove/box-1.png" "$out/uninstall-question.png"
  cp "$work/remove/progress.png" "$out/uninstall-progress.png"
  cp "$work/remove/progress-done.png" "$out/uninstall-done.png"
  rm -rf "$work"; trap - EXIT
done
echo "pictures in $repo/docs/screenshots/setup"

#!/usr/bin/env bash
# Pictures of every setup and removal page and message, English and Korean, from the medium
# of `make medium`, into docs/screenshots/setup/{en,ko}/. Usage: scripts/setup-pictures.sh BUILD
# The pictures show a user's home (/home/kim) and an empty /opt, not this machine's: where it
# can, the script runs in a mount namespace of its own with empty file systems on both.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
repo=$(cd "$(dirname "$0")/.." && pwd)
case "$repo $build" in
  /home/* | *" /home/"* | /opt/* | *" /opt/"*) ;;  # they would vanish under the empty folders
  *)
    if [ -z "${AMBRIN_PICTURES_PRIVATE:-}" ] &&
       AMBRIN_PICTURES_PRIVATE=1 unshare --mount --propagation private true 2>/dev/null; then
      exec env AMBRIN_PICTURES_PRIVATE=1 unshare --mount --propagation private \
        sh -c 'mount -t tmpfs none /home && mount -t tmpfs none /opt && exec bash "$0" "$@"' "$0" "$build"
    fi
    ;;
esac
runner=$build/tests/ambrin_setup_runner
library=$build/medium/libwizard.so
for lang in en ko; do
  id=1033; [ $lang = ko ] && id=1042
  out=$repo/docs/screenshots/setup/$lang
  rm -rf "$out"; mkdir -p "$out"
  work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
  home=$work/home
  [ -n "${AMBRIN_PICTURES_PRIVATE:-}" ] && home=/home/kim && rm -rf /home/kim /opt/Ambrin
  mkdir -p "$home/Programs" "$home/Other" "$work/install" "$work/other" "$work/remove"
  locale=en_US.UTF-8; [ $lang = ko ] && locale=ko_KR.UTF-8
  export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
         XDG_RUNTIME_DIR=$work/run AMBRIN_MACHINE_CONFIG=$work/machine AMBRIN_UI_LANG=$id \
         LANG=$locale QT_QPA_PLATFORM=offscreen
  "$runner" --library "$library" --lang $id --folder "$home/Programs" --no-start --pictures "$work/install" >/dev/null 2>&1
  # What the program writes at its first start: the folder of the installation.
  mkdir -p "$XDG_CONFIG_HOME/Tavix"
  printf '"InstallPath"="%s"\n' "$home/Programs/Ambrin/" > "$XDG_CONFIG_HOME/Tavix/Ambrin+ v2.0.conf"
  "$runner" --library "$library" --lang $id --folder "$home/Other" --no-start --pictures "$work/other" >/dev/null 2>&1 || true
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

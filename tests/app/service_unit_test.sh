#!/bin/sh
# The systemd user unit installed with the program names the installed program and passes
# systemd's own check. Usage: service_unit_test.sh BUILD_FOLDER
set -eu
build=$1
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
export HOME="$dest/home" XDG_RUNTIME_DIR="$dest/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
cmake --install "$build" --component program --prefix "$dest/usr" >/dev/null
unit="$dest/usr/lib/systemd/user/ambrin.service"
grep -qx "ExecStart=$dest/usr/bin/ambrin --headless" "$unit" || { echo "bad ExecStart in $unit"; cat "$unit"; exit 1; }
grep -qx "Restart=on-failure" "$unit"
if ! command -v systemd-analyze >/dev/null; then
    echo "systemd-analyze is not installed"
    exit 77
fi
# It reports doubtful lines as warnings and still ends with 0: any word from it fails.
report=$(systemd-analyze verify "$unit" 2>&1) || { echo "$report"; exit 1; }
if [ -n "$report" ]; then
    echo "$report"
    exit 1
fi

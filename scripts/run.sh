#!/usr/bin/env bash
# Starts the recorder. On a desktop it records from the user's own sound server; where no
# sound server can be reached (a fresh server, a container, CI) it starts a private one whose
# line plays a generated call about every minute, and records from that.
#   scripts/run.sh BUILD_DIR [ambrin arguments...]
set -u
build=${1:?usage: run.sh BUILD_DIR [ARGS...]}
shift
top=$(cd "$(dirname "$0")/.." && pwd)
ambrin="$build/src/app/ambrin"

if pactl info >/dev/null 2>&1; then
  exec "$ambrin" "$@"
fi

line=$(mktemp -d /tmp/ambrin-line.XXXXXX)
cleanup() {
  [ -n "${generator:-}" ] && kill "$generator" 2>/dev/null
  "$top/tests/support/audio_server.sh" stop "$line"
  rm -rf "$line"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
if ! "$top/tests/support/audio_server.sh" start "$line"; then
  echo "No sound server can be reached and none could be started." >&2
  exit 1
fi
export PULSE_SERVER="unix:$line/native"
echo "No sound server found: recording from a demo line on a private sound server"
echo "(a generated call about every minute; stop with Ctrl+C)."
"$build/tests/ambrin_linegen" "$line/fifo" 60 &
generator=$!
"$ambrin" "$@"
status=$?
exit $status

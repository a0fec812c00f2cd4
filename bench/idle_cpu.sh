#!/usr/bin/env bash
# CPU time the recorder uses while it listens to an idle line (silence paced to real time),
# measured with /usr/bin/time over SECONDS of listening and scaled to one hour.
#   bench/idle_cpu.sh [SECONDS]
set -euo pipefail
seconds=${1:-60}
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
work=$(mktemp -d /tmp/ambidle.XXXXXX)
cleanup() {
  [ -n "${generator:-}" ] && kill "$generator" 2>/dev/null || true
  "$top/tests/support/audio_server.sh" stop "$work/line"
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
"$top/tests/support/audio_server.sh" start "$work/line"
export PULSE_SERVER="unix:$work/line/native"
"$build/tests/ambrin_linegen" "$work/line/fifo" 0 &
generator=$!
/usr/bin/time -v "$build/src/app/ambrin" --headless > "$work/out" 2> "$work/time" &
timer=$!
until grep -q "ambrin: running" "$work/out" 2>/dev/null; do sleep 0.05; done
sleep "$seconds"
kill -TERM "$(pgrep -P "$timer")"
wait "$timer" || true
user=$(awk -F': ' '/User time/ {print $2}' "$work/time")
system=$(awk -F': ' '/System time/ {print $2}' "$work/time")
rss=$(awk -F': ' '/Maximum resident/ {print $2}' "$work/time")
awk -v u="$user" -v s="$system" -v n="$seconds" -v r="$rss" 'BEGIN {
  printf "listened %d s: user %.2f s, system %.2f s -> %.1f CPU seconds per hour (%.3f %% of one core); peak RSS %d KiB\n",
         n, u, s, (u + s) * 3600 / n, (u + s) * 100 / n, r }'

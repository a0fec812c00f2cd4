#!/usr/bin/env bash
# Whole-program start-up and shutdown of `ambrin --headless`, median of N runs, plus the
# peak resident memory of one run (/usr/bin/time -v). Usage: bench/startup_shutdown.sh [N]
set -euo pipefail
runs=${1:-10}
bin=$(cd "$(dirname "$0")/.." && pwd)/build/src/app/ambrin
work=$(mktemp -d /tmp/ambstart.XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
install -m 755 "$bin" "$work/ambrin"

now() { date +%s%N; }
starts=() stops=()
for i in $(seq "$runs"); do
  out=$work/out.$i
  t0=$(now)
  "$work/ambrin" --headless > "$out" 2>&1 &
  pid=$!
  until grep -q "ambrin: running" "$out" 2>/dev/null; do sleep 0.001; done
  t1=$(now)
  kill -TERM "$pid"
  wait "$pid"
  t2=$(now)
  starts+=($(( (t1 - t0) / 1000 )))
  stops+=($(( (t2 - t1) / 1000 )))
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
echo "start-up to \"running\": median $(median "${starts[@]}") us over $runs runs"
echo "SIGTERM to exit:        median $(median "${stops[@]}") us over $runs runs"

/usr/bin/time -v "$work/ambrin" --headless > "$work/time.out" 2> "$work/time.txt" &
timer=$!
until grep -q "ambrin: running" "$work/time.out" 2>/dev/null; do sleep 0.01; done
sleep 1
kill -TERM "$(pgrep -P "$timer")"
wait "$timer" || true
grep -E "Maximum resident set size|Elapsed" "$work/time.txt"

#!/usr/bin/env bash
# Whole-program figures of the desktop program (the skinned main window) on an X display:
#   start-up to the main window painted, median of N runs (load average alongside);
#   resident memory of the shown program, and its peak under /usr/bin/time -v;
#   CPU of the shown program idling for IDLE seconds;
#   CPU while it records a call with the window and the information window open.
# Runs on a private sound server whose line the demo line generator feeds, in periods of
# 256 ms as a sound card delivers at the latency the program asks for.
# Usage: xvfb-run -a -s "-screen 0 1024x768x24" bench/desktop_figures.sh [BUILD] [N] [IDLE]
set -euo pipefail
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
runs=${2:-10}
idle=${3:-60}
[ -n "${DISPLAY:-}" ] || { echo "needs an X display (run it under xvfb-run)" >&2; exit 2; }

work=$(mktemp -d /tmp/ambdesk.XXXXXX)
line=$work/line
generator=
keeper=
cleanup() {
  [ -n "$generator" ] && kill "$generator" 2>/dev/null
  [ -n "$keeper" ] && kill "$keeper" 2>/dev/null
  "$top/tests/support/audio_server.sh" stop "$line"
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp
export XDG_DATA_HOME=$work/home/.local/share AMBRIN_UI_LANG=1033
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR" "$work/opt"
chmod 700 "$XDG_RUNTIME_DIR"
install -m 755 "$build/src/app/ambrin" "$work/opt/ambrin"
cp "$build/src/app/Ambrin_Large.VSK" "$work/opt/"
"$top/tests/support/audio_server.sh" start "$line" >/dev/null
export PULSE_SERVER=unix:$line/native
# An X server resets itself (and compiles its keymap again, some hundred milliseconds) whenever
# its last client leaves; a desktop always has clients, so one stays connected here too, or
# every start would wait for the reset left by the one before.
xprop -root -spy >/dev/null 2>&1 &
keeper=$!
"$build/tests/ambrin_linegen" "$line/fifo" 0 >/dev/null &
generator=$!

conf="$XDG_CONFIG_HOME/Tavix/Ambrin+ v2.0.conf"
set_dword() {  # name value: one value of the settings file
  sed -i "/^\"$1\"=/d" "$conf"
  printf '"%s"=dword:%08x\n' "$1" "$2" >> "$conf"
}

now() { date +%s%N; }
shown() { xdotool search --onlyvisible --pid "$1" --name '^Ambrin\+$' >/dev/null 2>&1; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Time on a CPU in nanoseconds, summed over the program's threads: exact, where the ticks of
# /proc/PID/stat are sampled at 100 Hz and so a rough guide below a few dozen.
cpu_ns() { cat "/proc/$1/task/"*/schedstat 2>/dev/null | awk '{n += $1} END {printf "%d", n}'; }
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

# A first run creates the settings and the database; the volume wizard is then switched off.
"$work/opt/ambrin" > "$work/first.out" 2>&1 &
pid=$!
until shown "$pid"; do sleep 0.05; done
sleep 1
kill -TERM "$pid"; wait "$pid" || true
set_dword AutoVolume 1

# The time from the start to the main window's first paint, as it happens: the program tells
# it with --verbose ("start-up ... main window painted") through a pipe the script blocks on,
# so no polling competes with the starting program for the CPU. The window must then be on
# screen for xdotool as well. The program's own stages are kept for the slowest run.
starts=()
slowest=0
for i in $(seq "$runs"); do
  rm -f "$work/trace"
  mkfifo "$work/trace"
  exec 3<>"$work/trace"
  t0=$(now)
  "$work/opt/ambrin" --verbose >&3 2>&1 &
  pid=$!
  : > "$work/stages.$i"
  while IFS= read -r -t 30 -u 3 out; do
    echo "$out" >> "$work/stages.$i"
    case $out in *"main window painted"*) break ;; esac
  done
  t1=$(now)
  until shown "$pid"; do sleep 0.02; done
  ms=$(( (t1 - t0) / 1000000 ))
  starts+=("$ms")
  if [ "$ms" -gt "$slowest" ]; then slowest=$ms; cp "$work/stages.$i" "$work/stages.slowest"; fi
  kill -TERM "$pid"; wait "$pid" || true
  exec 3<&-
done
echo "start-up to the main window painted: median $(median "${starts[@]}") ms over $runs runs (${starts[*]})"
echo "stages of the slowest start (wall since main(), CPU since exec):"
grep "start-up" "$work/stages.slowest" | sed 's/^ambrin: /  /'

/usr/bin/time -v "$work/opt/ambrin" --verbose > "$work/time.out" 2> "$work/time.txt" &
timer=$!
until pid=$(pgrep -P "$timer") && shown "$pid"; do sleep 0.05; done
sleep 3
echo "resident memory of the shown program: $(awk '/VmRSS/ {print $2, $3}' "/proc/$pid/status")"
before=$(cpu_ticks "$pid")
before_ns=$(cpu_ns "$pid")
sleep "$idle"
after_ns=$(cpu_ns "$pid")
after=$(cpu_ticks "$pid")
echo "CPU idling for $idle s: $(awk -v n=$((after_ns - before_ns)) -v s="$idle" \
  'BEGIN {printf "%.3f %% of a core (%.1f ms on a CPU)", n / 1e7 / s, n / 1e6}') ($((after - before)) ticks)"

# A call: the line generator's first call comes after 5 s; the information window opens.
kill "$generator"; wait "$generator" 2>/dev/null || true
"$build/tests/ambrin_linegen" "$line/fifo" 1 >/dev/null &
generator=$!
until grep -q "event 27 recording" "$work/time.out"; do sleep 0.1; done
sleep 1
xdotool search --onlyvisible --pid "$pid" --name 'Recording Information' >/dev/null \
  || echo "(the information window is not shown)"
before_ns=$(cpu_ns "$pid")
sleep 6
after_ns=$(cpu_ns "$pid")
echo "CPU while recording with the information window open (6 s): $(awk \
  -v n=$((after_ns - before_ns)) 'BEGIN {printf "%.2f %% of a core", n / 1e7 / 6}')"
echo "resident memory while recording: $(awk '/VmRSS/ {print $2, $3}' "/proc/$pid/status")"

kill -TERM "$pid"
wait "$timer" || true
grep -E "Maximum resident set size|Elapsed|Percent of CPU" "$work/time.txt"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"

#!/usr/bin/env bash
# Starts or stops a private PulseAudio daemon: a null sink to play into and a pipe source
# whose FIFO a program feeds with line audio. Used by the audio tests (one daemon for a
# whole test run) and by `make run` on machines without a sound server.
#   audio_server.sh start DIR    clients then use PULSE_SERVER=unix:DIR/native; the line
#                                is the FIFO DIR/fifo (s16le, 8000 Hz, mono)
#   audio_server.sh stop DIR
set -u
command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

stop_daemon() {
  [ -f "$dir/daemon.pid" ] || return 0
  pid=$(cat "$dir/daemon.pid")
  kill "$pid" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  kill -9 "$pid" 2>/dev/null
  rm -f "$dir/daemon.pid" "$dir/fifo" "$dir/native"
}

case $command in
  start)
    stop_daemon
    mkdir -p "$dir/config"
    # The pipe source refuses to load over a FIFO that exists already.
    rm -f "$dir/fifo" "$dir/native"
    cat > "$dir/pa.pa" <<PA
load-module module-native-protocol-unix socket=$dir/native auth-anonymous=1
load-module module-null-sink sink_name=nullsink rate=8000 channels=1 format=s16le
load-module module-pipe-source source_name=pipesrc file=$dir/fifo format=s16le rate=8000 channels=1
set-default-sink nullsink
set-default-source pipesrc
PA
    HOME=$dir PULSE_RUNTIME_PATH=$dir XDG_RUNTIME_DIR=$dir XDG_CONFIG_HOME=$dir/config \
      setsid pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        --log-target="file:$dir/daemon.log" -F "$dir/pa.pa" </dev/null >/dev/null 2>&1 &
    echo $! > "$dir/daemon.pid"
    for _ in $(seq 200); do
      if PULSE_SERVER="unix:$dir/native" pactl list sources short 2>/dev/null | grep -q pipesrc; then
        exit 0
      fi
      sleep 0.05
    done
    echo "the private sound server did not start:" >&2
    cat "$dir/daemon.log" >&2 2>/dev/null
    stop_daemon
    exit 1
    ;;
  stop)
    stop_daemon
    ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac

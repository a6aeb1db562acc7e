#!/usr/bin/env bash
# A private PulseAudio server with a null sink for the tests that need a real server.
#
#   scripts/pulse-test-server.sh start [ENV_FILE]
#       Starts the daemon (sink "ci_sink", described "CI_Null_Sink", 44.1 kHz stereo)
#       and a low-latency keepalive stream into it (without one the null sink runs in
#       2-second blocks and every new stream starts late). Prints PULSE_SERVER=...;
#       with ENV_FILE also writes "export PULSE_SERVER=..." and XDG_RUNTIME_DIR there.
#       Exits 1 (after cleaning up) when no server comes up.
#   scripts/pulse-test-server.sh stop
#       Ends the keepalive stream and the daemon by their recorded process ids.
#
# State lives in $WAVEDECK_PULSE_DIR (default /tmp/wavedeck-pulse): the runtime folder of
# the server and the two pid files. Safe to run as root (the daemon then warns).
set -euo pipefail

dir=${WAVEDECK_PULSE_DIR:-/tmp/wavedeck-pulse}
runtime=$dir/runtime
server=unix:$runtime/pulse/native

stop_pid() {  # pid-file: end that process, waiting up to 5 s, and forget it
  local file=$1 pid
  [[ -f $file ]] || return 0
  pid=$(cat "$file")
  rm -f "$file"
  [[ $pid =~ ^[0-9]+$ ]] || return 0
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
}

stop() {
  stop_pid "$dir/keepalive.pid"
  stop_pid "$dir/daemon.pid"
}

start() {
  local env_file=${1:-}
  command -v pulseaudio >/dev/null || { echo "pulse-test-server: pulseaudio is not installed" >&2; exit 1; }
  stop
  mkdir -p -m 700 "$dir" "$runtime"
  export XDG_RUNTIME_DIR=$runtime PULSE_SERVER=$server
  # In the foreground of a background job, so that its pid is known without asking
  # the daemon; --use-pid-file=no keeps it from refusing to run beside another server.
  pulseaudio --daemonize=no --use-pid-file=no --exit-idle-time=-1 --disallow-exit=yes -n \
    --load="module-null-sink sink_name=ci_sink rate=44100 channels=2 sink_properties=device.description=CI_Null_Sink" \
    --load="module-native-protocol-unix auth-anonymous=1" --log-target=stderr </dev/null >/dev/null 2>"$dir/daemon.log" &
  echo $! >"$dir/daemon.pid"
  local up=0
  for _ in $(seq 50); do
    if pactl info >/dev/null 2>&1; then up=1; break; fi
    sleep 0.1
  done
  if [[ $up != 1 ]]; then
    echo "pulse-test-server: the server did not come up (see $dir/daemon.log)" >&2
    stop
    exit 1
  fi
  pacat --playback --device=ci_sink --latency-msec=20 /dev/zero </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/keepalive.pid"
  # The sink switches to the keepalive's low latency within about two seconds.
  sleep 2.5
  echo "PULSE_SERVER=$server"
  if [[ -n $env_file ]]; then
    printf 'export PULSE_SERVER=%q\nexport XDG_RUNTIME_DIR=%q\n' "$server" "$runtime" >"$env_file"
  fi
}

case ${1:-} in
  start) start "${2:-}" ;;
  stop) stop ;;
  *) echo "usage: $0 start [ENV_FILE] | stop" >&2; exit 2 ;;
esac

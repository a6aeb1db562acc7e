#!/usr/bin/env bash
# The desktop editor at rest and at play, under Xvfb:
#   idle:  processor time of wavedeck-gui over SECONDS (default 10) with a 60-second
#          stereo track open and nothing happening, as a percentage of one core, and the
#          redraws in that time (should be none);
#   play:  the interval between redraws of the editor while it plays 5 seconds
#          (median, 10th and 90th percentile), which is how smoothly the play line moves.
#
#   bench/desktop_idle.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${2:-10}
gui="$build/bin/wavedeck-gui"
[ -x "$gui" ] || { echo "no $gui: build with -DWAVEDECK_BUILD_DESKTOP=ON" >&2; exit 1; }
work=$(mktemp -d)
export WAVEDECK_REGISTRY="$work/registry" XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" WAVEDECK_AUDIO=null
export GDK_BACKEND=x11 NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory WAVEDECK_GUI_LOG="$work/editor.log"
sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 60 sine 440 vol 0.5

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 960x620x24 -nolisten tcp -extension Composite 2>/dev/null &
xvfb=$!
gui_pid=""
finish() {
  [ -n "$gui_pid" ] && kill "$gui_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"

"$gui" "$work/tone.wav" 2>/dev/null &
gui_pid=$!
for _ in $(seq 400); do grep -q ' event opened ' "$work/editor.log" 2>/dev/null && break; sleep 0.05; done
sleep 1

ticks() { awk '{print $14 + $15}' "/proc/$gui_pid/stat"; }
hz=$(getconf CLK_TCK)
draws_before=$(grep -c ' draw ' "$work/editor.log" || true)
t0=$(ticks)
sleep "$seconds"
t1=$(ticks)
draws_after=$(grep -c ' draw ' "$work/editor.log" || true)
awk -v t="$((t1 - t0))" -v hz="$hz" -v s="$seconds" -v d="$((draws_after - draws_before))" \
  'BEGIN { printf "idle: %.2f %% of one core over %d s, %d redraws\n", 100 * t / hz / s, s, d }'

# Select five seconds from the start (Shift+End selects to the end; the cursor is at 0,
# so play from the cursor instead and stop after five seconds).
xdotool mousemove 300 300 key space
sleep 5
xdotool key Escape
sleep 0.5
awk '
  / event play [0-9]/ { playing = 1; next }
  / event play stopped/ { playing = 0 }
  playing && / draw main$/ { if (last) gaps[n++] = $1 - last; last = $1 }
  END {
    if (n < 2) { print "play: too few redraws to measure"; exit }
    asort(gaps)
    printf "play: %d redraws of the track view, interval median %.0f ms, p10 %.0f ms, p90 %.0f ms\n", n + 1,
      1000 * gaps[int(n / 2) + 1], 1000 * gaps[int(n / 10) + 1], 1000 * gaps[int(9 * n / 10) + 1]
  }' "$work/editor.log"
xdotool key ctrl+q
wait "$gui_pid" 2>/dev/null || true
gui_pid=""

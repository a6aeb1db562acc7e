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

cleanup() { rm -rf "$work"; }
# shellcheck source=bench/virtual_display.sh
source "$(dirname "$0")/virtual_display.sh"

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

# Play from the cursor (at the start) for five seconds; the pointer over the window
# gives it the keyboard.
xdotool mousemove 300 300 sleep 0.5 key space
sleep 5
xdotool key Escape
sleep 0.5
# The gaps between redraws of the track view while playing, sorted.
awk '
  / event play [0-9]/ { playing = 1; next }
  / event play stopped/ { playing = 0 }
  playing && / draw main$/ { if (last) print ($1 - last) * 1000; last = $1 }' "$work/editor.log" | sort -n >"$work/gaps"
n=$(wc -l <"$work/gaps")
if [ "$n" -lt 2 ]; then
  echo "play: too few redraws to measure"
else
  pick() { sed -n "$(( ($1 * n) / 100 + 1 ))p" "$work/gaps"; }
  printf 'play: %d redraws of the track view, interval median %.0f ms, p10 %.0f ms, p90 %.0f ms\n' "$((n + 1))" "$(pick 50)" "$(pick 10)" "$(pick 90)"
fi
xdotool key ctrl+q
wait "$gui_pid" 2>/dev/null || true
gui_pid=""

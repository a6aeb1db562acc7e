#!/usr/bin/env bash
# The desktop editor's first picture of a long file, under Xvfb: from choosing the file in
# the Open dialog (the editor starting the open) to the first redraw of the track view
# after the editor took the opened track over (the view fitted to it), RUNS times (default
# 5), each in a freshly started editor; the median and each run are printed (goal: 0.3 s).
# The file is MINUTES (default 60) of 16-bit stereo at 44,100 Hz, in the page cache.
#
#   bench/desktop_open.sh [BUILD_DIR] [WORK_DIR] [MINUTES] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=${2:-bench-desktop-open}
minutes=${3:-60}
runs=${4:-5}
gui="$build/bin/wavedeck-gui"
[ -x "$gui" ] || { echo "no $gui: build with -DWAVEDECK_BUILD_DESKTOP=ON" >&2; exit 1; }
mkdir -p "$work"
work=$(cd "$work" && pwd)
export WAVEDECK_REGISTRY="$work/registry" XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" \
  XDG_DATA_HOME="$work/data" WAVEDECK_AUDIO=null GDK_BACKEND=x11 NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
log="$work/editor.log"
export WAVEDECK_GUI_LOG="$log"

in="$work/in.wav"
if [ ! -f "$in" ] || [ "$(soxi -D "$in" | cut -d. -f1)" != "$((minutes * 60))" ]; then
  echo "making $minutes minutes of 16-bit stereo at 44,100 Hz: $in"
  sox -n -r 44100 -c 2 -b 16 "$in" synth "$((minutes * 60))" sine 440 sine 554.37 vol 0.5
fi
cat "$in" >/dev/null

# shellcheck source=bench/virtual_display.sh
source "$(dirname "$0")/virtual_display.sh"

logged() { grep -q "$1" "$log" 2>/dev/null; }
await() {  # a pattern of the log, within 30 s
  for _ in $(seq 600); do logged "$1" && return 0; sleep 0.05; done
  echo "the editor never logged '$1'" >&2
  return 1
}

rm -f "$work/firsts"
for ((i = 1; i <= runs; i++)); do
  rm -f "$log"
  "$gui" 2>/dev/null &
  gui_pid=$!
  await ' event pane main'
  sleep 0.5
  xdotool key ctrl+o
  # The dialog may be found before it can take the focus: asked again until it does.
  for _ in $(seq 50); do xdotool search --name '^Open$' windowfocus --sync 2>/dev/null && break; sleep 0.1; done
  xdotool key ctrl+l
  sleep 0.3
  xdotool type --delay 5 "$in"
  sleep 0.3
  xdotool key Return
  await " event opened $in"
  sleep 0.5
  # Seconds from the start of the open to the first redraw after the take-over.
  awk -v path="$in" '
    $2 == "event" && $0 ~ (" open " path "$") { start = $1 }
    $2 == "event" && $0 ~ (" taken over " path "$") { taken = 1 }
    taken && $2 == "draw" && $3 == "main" { printf "%.3f\n", $1 - start; exit }' "$log" >>"$work/firsts"
  xdotool key ctrl+q
  wait "$gui_pid" 2>/dev/null || true
  gui_pid=""
  echo "run $i of $runs: first picture $(tail -1 "$work/firsts") s after choosing"
done
median=$(sort -n "$work/firsts" | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}')
printf 'first picture of %d minutes of stereo at fit zoom: median %.3f s after choosing the file (goal <= 0.300 s), %d runs\n' \
  "$minutes" "$median" "$runs"

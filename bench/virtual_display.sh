# Sourced by the desktop benchmarks: starts Xvfb on a free display, exports DISPLAY, and at
# exit ends the editor (whose id the script keeps in gui_pid) and Xvfb. $work must exist;
# a function `cleanup`, when the script defines one, runs last.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 960x620x24 -nolisten tcp -extension Composite 2>/dev/null &
xvfb=$!
gui_pid=""
finish() {
  [ -n "$gui_pid" ] && kill "$gui_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  if declare -F cleanup >/dev/null; then cleanup; fi
}
trap finish EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"

#!/usr/bin/env bash
# wavedeck.exe under Wine as a console user meets it: Ctrl-C (SIGINT, which Wine hands to
# the console control handlers) ends a recording that keeps its take, and cancels a save
# with the status of an interrupted program, writing nothing. One line per check; status 1
# when one fails.
#
#   usage: tests/windows/host_console.sh WAVEDECK_EXE
set -uo pipefail
win=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

failed=0
check() {
  if [ "$1" = 0 ]; then echo "ok     $2"; else echo "FAILED $2"; failed=1; fi
}
# Starts the host in the background and sends Ctrl-C once its stderr shows the pattern;
# leaves its status in status.
interrupt_when() {
  local pattern=$1
  shift
  wine "$win" "$@" >out.txt 2>err.txt &
  local pid=$! i
  for i in $(seq 300); do
    grep -q "$pattern" err.txt && break
    sleep 0.1
  done
  kill -INT "$pid"
  wait "$pid"
  status=$?
}

# A recording runs until Ctrl-C (the null ALSA device records silence).
interrupt_when "recording 0:0[1-9]" record -o take.wav
[ "$status" = 0 ] && grep -q "wrote take.wav" out.txt && [ "$(stat -c %s take.wav)" -gt 44100 ]
check $? "Ctrl-C ends a recording, which is saved (status $status)"

# 400 s of sound: its Ogg Vorbis takes seconds to write, and Ctrl-C comes at its start.
wine "$win" demo --out demo >/dev/null 2>&1 &&
  wine "$win" effect demo/sample.wav --id repeat --param copies=99 -o long.wav >/dev/null 2>&1
check $? "the demo runs and its sample repeated makes a long file"
interrupt_when "^writing " convert long.wav -o long.ogg
[ "$status" = 130 ] && grep -q "interrupted while writing" err.txt && [ ! -e long.ogg ]
check $? "Ctrl-C cancels a save: status 130, nothing written (status $status)"

exit $failed

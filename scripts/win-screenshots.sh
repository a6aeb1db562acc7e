#!/usr/bin/env bash
# Pictures wavedeck-win under Wine on a virtual X server (Wine's X11 driver, in a prefix
# of its own beside the headless one of scripts/win-test.sh): the frame with a stereo
# track and a selection, Amplify's dialog, and the progress bar during a long effect.
# Drives the editor with xdotool as a user would; needs Xvfb, xdotool, xwd and sox.
#
#   usage: scripts/win-screenshots.sh BUILD_DIR [OUT_DIR]   (OUT_DIR defaults to docs/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
out=${2:-$root/docs}
mkdir -p "$out"
work=$(mktemp -d)

export WINEPREFIX=$build/wine-prefix-x11
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export ALSA_CONFIG_PATH=$work/alsa.conf
printf 'pcm.!default { type null }\nctl.!default { type null }\n' >"$ALSA_CONFIG_PATH"

# Xvfb picks a free display and names it on the descriptor once it listens.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1000x700x24 -nolisten tcp -extension Composite >/dev/null 2>&1 &
xvfb=$!
read -r -u "$fd" display
export DISPLAY=:$display
editor=
cleanup() {
  [ -n "$editor" ] && kill "$editor" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if [ ! -e "$WINEPREFIX/.wavedeck-ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n' >"$work/settings.reg"
  wine regedit /S "$work/settings.reg"
  wineserver -w
  touch "$WINEPREFIX/.wavedeck-ready"
fi
wineserver -p

# The X server's whole screen as a PNG (xwd's 24-bit pictures, read by a few lines of
# Python: the machine need not have ImageMagick).
shot() {
  xwd -root -silent >"$work/shot.xwd"
  python3 - "$work/shot.xwd" "$out/$1" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
h = struct.unpack('>25I', data[:100])
size, width, height, order, bpp, line, ncolors = h[0], h[4], h[5], h[7], h[11], h[12], h[19]
pixels = data[size + ncolors * 12:]
rows = []
for y in range(height):
    row = pixels[y * line:y * line + width * bpp // 8]
    rgb = bytearray()
    for x in range(0, len(row), bpp // 8):
        p = row[x:x + 4]
        b, g, r = (p[0], p[1], p[2]) if order == 0 else (p[3], p[2], p[1])
        rgb += bytes((r, g, b))
    rows.append(b'\0' + bytes(rgb))
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff)
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
png += chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b'')
open(sys.argv[2], 'wb').write(png)
PY
  echo "wrote $out/$1"
}

# Waits until the editor's log has a line with the text after line $mark.
mark=0
wait_for() {
  for _ in $(seq 600); do
    tail -n +$((mark + 1)) "$work/log" 2>/dev/null | grep -q -- "$1" && return 0
    sleep 0.1
  done
  echo "the editor never logged \"$1\"" >&2
  return 1
}

# Starts the editor on the files, its frame filling a Wine desktop of the screen's size
# (Wine draws the frames of its windows there; a bare X server has no window manager).
start() {
  : >"$work/log"
  mark=0
  (cd "$build/bin" && WAVEDECK_GUI_LOG="Z:${work//\//\\}\\log" exec wine explorer /desktop=WaveDeck,1000x700 start /wait /max wavedeck-win.exe "$@") >/dev/null 2>&1 &
  editor=$!
  wait_for "event opened"
  frame=$(xdotool search --sync --name "WaveDeck" | head -1)
  sleep 1
  xdotool mousemove 500 10 click 1
}

quit() {
  xdotool key ctrl+q
  wait_for "event quit"
}

sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 4 sine 220 sine 330 tremolo 3 60 vol 0.7
sox -n -r 44100 -c 2 -b 16 "$work/long.wav" synth 600 sine 300 sine 450 vol 0.6
wintone="Z:${work//\//\\}\\tone.wav"
winlong="Z:${work//\//\\}\\long.wav"

# 1. A stereo track with a selection dragged across it.
start "$wintone"
read -r width height < <(xdotool getwindowgeometry "$frame" | awk '/Geometry/ { split($2, s, "x"); print s[1], s[2] }')
y=$((height * 40 / 100))
xdotool mousemove --window "$frame" $((width * 30 / 100)) $y mousedown 1 mousemove --window "$frame" $((width * 45 / 100)) $y \
  mousemove --window "$frame" $((width * 62 / 100)) $y mouseup 1
wait_for "enabled cut"
sleep 1
shot win-editor.png

# 2. Amplify's dialog, from the Effects menu by its keys.
xdotool key alt+c
sleep 0.5
xdotool key a
wait_for "asked Amplify"
sleep 3
shot win-effect-dialog.png
xdotool key Escape
sleep 0.5
quit

# 3. The progress bar while Change Tempo works through ten minutes: pictured at once, and
# again sooner after an Undo when the effect had already ended by then.
start "$winlong"
for delay in 1.5 0.8 0.4 0.2 0.1; do
  mark=$(wc -l <"$work/log")
  xdotool key ctrl+a
  sleep 0.5
  xdotool key alt+c
  sleep 0.5
  xdotool key t
  wait_for "asked Change Tempo"
  sleep 0.5
  xdotool type "25"
  xdotool key Return
  wait_for "effect 14"
  sleep "$delay"
  shot win-progress.png
  tail -n +$((mark + 1)) "$work/log" | grep -q "effect done" || break
  xdotool key ctrl+z
  sleep 1
done
xdotool key Escape
wait_for "effect stopped"
quit

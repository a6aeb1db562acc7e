#!/usr/bin/env bash
# wavedeck.exe under Wine against the Linux build's wavedeck, on the same files: the same
# lines from 'info', the same bytes from 'convert' and 'effect' (WAV output), and a
# snapshot with the same waveform and selection. One line per check; status 1 when one
# fails, 77 (skipped) when there is no Linux build to compare with.
#
#   usage: tests/windows/host_matches_linux.sh WAVEDECK_EXE LINUX_WAVEDECK
set -uo pipefail
win=$1
linux=${2:-}
if [ -z "$linux" ] || [ ! -x "$linux" ]; then
  echo "skipped: no Linux wavedeck to compare with; build build/ first, then scripts/win-build.sh passes it (-DWAVEDECK_LINUX_HOST)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir linux windows
# The Linux host keeps its settings and blocks here, on the null audio device.
export WAVEDECK_REGISTRY=$work/registry XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
export WAVEDECK_AUDIO=null WAVEDECK_DISPLAY=headless

failed=0
check() {
  if [ "$1" = 0 ]; then echo "ok     $2"; else echo "FAILED $2"; failed=1; fi
}
# Runs one command line on both hosts, OUT standing for each host's own folder; the
# standard output of each, without Windows' carriage returns, goes to linux.txt and
# windows.txt.
both() {
  "$linux" "${@//OUT/linux}" 2>/dev/null >linux.txt
  wine "$win" "${@//OUT/windows}" 2>/dev/null | tr -d '\r' >windows.txt
}
same_file() {
  [ -s "linux/$1" ] && cmp -s "linux/$1" "windows/$1"
}
# The same header and length, and every 16-bit sample within one step: Vorbis and
# SoundTouch feed on log, exp and cos, whose last bit differs between mingw's C library
# and glibc.
near_file() {
  [ -s "linux/$1" ] && cmp -s <(head -c 44 "linux/$1") <(head -c 44 "windows/$1") &&
    paste <(od -An -v -td2 -w2 -j44 "linux/$1") <(od -An -v -td2 -w2 -j44 "windows/$1") |
    awk '{ d = $1 - $2 } NF != 2 || d > 1 || d < -1 { bad = 1 } END { exit bad }'
}

# The inputs: the demo's stereo chord with its envelope, and the same as MP3 and Ogg.
"$linux" demo --out demo >/dev/null 2>&1 && cp demo/sample.wav sample.wav &&
  "$linux" convert sample.wav -o sample.mp3 >/dev/null 2>&1 && "$linux" convert sample.wav -o sample.ogg >/dev/null 2>&1
check $? "the Linux host makes the inputs"

declare -A said=([same_file]="the same bytes" [near_file]="the same samples within one step")
while read -r input compare; do
  both info "$input"
  cmp -s linux.txt windows.txt && grep -q "^length: " linux.txt
  check $? "info $input prints the same lines"
  both convert "$input" -o "OUT/${input/./-}.wav"
  $compare "${input/./-}.wav"
  check $? "convert $input to WAV gives ${said[$compare]}"
done <<'INPUTS'
sample.wav same_file
sample.mp3 same_file
sample.ogg near_file
INPUTS

# A disc image of the sample (300 whole sectors) read through each host's drive folder,
# then a batch of it and the MP3.
tail -c 705600 sample.wav >disc.bin && printf 'FILE "disc.bin" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n' >disc.cue
both cd-tracks disc.cue OUT/cd
both convert OUT/cd/Track01.cda -o OUT/track1.wav
same_file track1.wav
check $? "a CD image's track converted to WAV gives the same bytes"
both convert OUT/cd/Track01.cda sample.mp3 --to wav --out OUT/batch
same_file batch/Track01.wav && same_file batch/sample.wav
check $? "a batch conversion gives the same bytes"

while read -r name compare args; do
  # shellcheck disable=SC2086  # the arguments are words
  both effect sample.wav $args -o "OUT/$name.wav"
  $compare "$name.wav"
  check $? "effect $args gives ${said[$compare]}"
done <<'EFFECTS'
amplify same_file --id amplify --param gain=0.5
normalize same_file --id normalize --param peak=0.9
echo same_file --id echo --param delay-ms=250 --param decay=0.4
low-pass same_file --id low-pass --param cutoff=2000
band-pass same_file --id band-pass --param centre=800 --param bandwidth=300
compressor same_file --id compressor --param threshold-db=-20 --param ratio=4
phaser same_file --id phaser --param depth=200 --param feedback=50
equalizer same_file --id equalizer --param low=2 --param high=0.5
speed same_file --id speed --param factor=1.25
tempo same_file --id tempo --param percent=20
pitch near_file --id pitch --param percent=10
fade-out-dragged same_file --id fade-out --select 1:3
reverse-dragged same_file --id reverse --select 0.5:1.5
EFFECTS

# The pictures differ where text is drawn (the fonts differ); the waveform with the
# dragged selection, canvas rows 0 to 299 below the 30-pixel tab strip, is the same.
both snapshot sample.wav --select 1:2 -o OUT/shot.png
for host in linux windows; do ffmpeg -v error -i "$host/shot.png" -f rawvideo -pix_fmt gray "$host.gray"; done
[ -s linux.gray ] && [ "$(stat -c %s linux.gray)" = "$(stat -c %s windows.gray)" ] &&
  [ "$(head -c 24 linux/shot.png | tail -c 8 | od -An -tx1)" = "$(head -c 24 windows/shot.png | tail -c 8 | od -An -tx1)" ] &&
  { cmp -l linux.gray windows.gray || true; } | awk '{ p = $1 - 1; x = p % 605; y = int(p / 605) }
    x < 565 && y >= 30 && y < 330 { differ++ } END { exit differ > 0 }'
check $? "a snapshot decodes to the Linux picture's size with the same waveform and selection"

exit $failed

#!/usr/bin/env bash
# The first road as whole processes, next to sox doing the same work on the same disk:
#   open:    wavedeck info IN           vs  sox IN -e floating-point -b 32 OUT
#   cold:    wavedeck info IN           vs  cat IN > /dev/null, IN out of the page cache
#   convert: wavedeck convert IN -o OUT vs  sox IN to float, then that to 16-bit
#   copy:    wavedeck convert IN -o OUT vs  sox IN OUT (16-bit to 16-bit in one step)
#   effect:  wavedeck effect IN10 --id 1 --param gain=0.5 -o OUT  vs  sox IN10 OUT vol 0.5
#            (IN10: the first 10 minutes of IN)
#   redraw:  the fitted view of the opened track drawn from block files that are not in
#            the page cache (bench_redraw)   vs  ffmpeg drawing the waveform of IN (cold)
# Both sides run alternately, RUNS times each (default 3); medians and ratios are printed,
# with each side's peak memory.
#
#   bench/first_road.sh [BUILD_DIR] [WORK_DIR] [MINUTES] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=${2:-bench-first-road}
minutes=${3:-60}
runs=${4:-3}
mkdir -p "$work"
work=$(cd "$work" && pwd)
wavedeck="$build/bin/wavedeck"
# Settings and block files of the benchmark's own, on the same disk as the files.
export WAVEDECK_REGISTRY="$work/registry" XDG_CACHE_HOME="$work/cache" WAVEDECK_AUDIO=null
"$wavedeck" settings --temp-folder "$work" >/dev/null

in="$work/in.wav"
if [ ! -f "$in" ] || [ "$(soxi -D "$in" | cut -d. -f1)" != "$((minutes * 60))" ]; then
  echo "making $minutes minutes of 16-bit stereo at 44,100 Hz: $in"
  sox -n -r 44100 -c 2 -b 16 "$in" synth "$((minutes * 60))" sine 440 sine 554.37 vol 0.5
fi

in10="$work/in10.wav"
if [ ! -f "$in10" ]; then sox "$in" "$in10" trim 0 600; fi

can_drop=0
if sync && echo 1 >/proc/sys/vm/drop_caches 2>/dev/null; then can_drop=1; fi
evict() {  # drop the file's pages from the page cache
  for f in "$@"; do dd of="$f" oflag=nocache conv=notrunc,fdatasync count=0 status=none 2>/dev/null || true; done
}

# Runs a command, appending "seconds peakKiB" to a results file.
timed() {
  local out=$1; shift
  sync
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>&1
  cat "$work/time.txt" >>"$out"
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
report() {  # name, our results, peer results
  local ours peer ourmem peermem
  ours=$(cut -d' ' -f1 "$2" | median); peer=$(cut -d' ' -f1 "$3" | median)
  ourmem=$(cut -d' ' -f2 "$2" | sort -n | tail -1); peermem=$(cut -d' ' -f2 "$3" | sort -n | tail -1)
  printf '%-8s wavedeck %7.3f s (peak %5.1f MiB)   peer %7.3f s (peak %5.1f MiB)   ratio %.2f\n' \
    "$1" "$ours" "$(echo "$ourmem / 1024" | bc -l)" "$peer" "$(echo "$peermem / 1024" | bc -l)" "$(echo "$ours / $peer" | bc -l)"
}

rm -f "$work"/*.times
for ((i = 1; i <= runs; i++)); do
  timed "$work/open.ours.times" "$wavedeck" info "$in"
  timed "$work/open.peer.times" sox "$in" -e floating-point -b 32 "$work/float.wav"
  rm -f "$work/float.wav"
  timed "$work/convert.ours.times" "$wavedeck" convert "$in" -o "$work/out.wav"
  rm -f "$work/out.wav"
  timed "$work/convert.peer.times" bash -c "sox '$in' -e floating-point -b 32 '$work/float.wav' && sox '$work/float.wav' -b 16 '$work/out.wav'"
  rm -f "$work/float.wav" "$work/out.wav"
  timed "$work/copy.ours.times" "$wavedeck" convert "$in" -o "$work/out.wav"
  rm -f "$work/out.wav"
  timed "$work/copy.peer.times" sox "$in" "$work/out.wav"
  rm -f "$work/out.wav"
  timed "$work/effect.ours.times" "$wavedeck" effect "$in10" --id 1 --param gain=0.5 -o "$work/out.wav"
  rm -f "$work/out.wav"
  timed "$work/effect.peer.times" sox "$in10" "$work/out.wav" vol 0.5
  rm -f "$work/out.wav"
  evict "$in"; [ $can_drop = 1 ] && sync && echo 1 >/proc/sys/vm/drop_caches
  timed "$work/cold.ours.times" "$wavedeck" info "$in"
  evict "$in"; [ $can_drop = 1 ] && sync && echo 1 >/proc/sys/vm/drop_caches
  timed "$work/cold.peer.times" bash -c "cat '$in' >/dev/null"
  cat "$in" >/dev/null  # back in the page cache for the next run's open
  if [ -x "$build/bin/bench_redraw" ]; then
    "$build/bin/bench_redraw" "$in" >>"$work/redraw.ours.times"
    evict "$in"; [ $can_drop = 1 ] && sync && echo 1 >/proc/sys/vm/drop_caches
    timed "$work/redraw.peer.times" ffmpeg -v error -y -i "$in" -filter_complex "showwavespic=s=565x330:split_channels=1" \
      -frames:v 1 "$work/peer.png"
  fi
  echo "run $i of $runs done"
done

echo "median of $runs runs, $minutes minutes of stereo; ratio = wavedeck / peer (goal <= 1.00)"
report open "$work/open.ours.times" "$work/open.peer.times"
report cold "$work/cold.ours.times" "$work/cold.peer.times"
report convert "$work/convert.ours.times" "$work/convert.peer.times"
report copy "$work/copy.ours.times" "$work/copy.peer.times"
report effect "$work/effect.ours.times" "$work/effect.peer.times"
if [ -s "$work/redraw.ours.times" ]; then report redraw "$work/redraw.ours.times" "$work/redraw.peer.times"; fi
[ $can_drop = 1 ] || echo "(the page cache could not be dropped: cold reads are evicted file by file)"

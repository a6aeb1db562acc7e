#!/usr/bin/env bash
# Builds the Debian package and proves it installs and runs on a fresh Debian 12:
#   1. configures a release build in build-deb/ (prefix /usr), builds only what is
#      installed and runs `cpack -G DEB`; with BUILD=DIR it packages that existing build
#      tree instead (CI packages the tree its suite has just built and tested);
#   2. debootstraps a minimal bookworm root (ROOT, default build-deb/root; reused when
#      it exists, made again with FRESH=1);
#   3. installs the package there with `apt-get install ./wavedeck_*.deb` (apt resolves
#      its dependencies from the archive), then runs `wavedeck demo`, starts
#      `wavedeck-gui` under Xvfb on the demo's saved file until it has opened and drawn
#      it (a picture of the screen goes to build-deb/wavedeck-gui.png), and runs
#      desktop-file-validate and appstreamcli validate on the installed files.
# Needs root (debootstrap, chroot), debootstrap and network access to the mirror.
# Usage: scripts/check-debian-package.sh [MIRROR]
set -euo pipefail

SOURCE=$(cd "$(dirname "$0")/.." && pwd)
OUT=${OUT:-$SOURCE/build-deb}
ROOT=${ROOT:-$OUT/root}
MIRROR=${1:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "check-debian-package: run as root (debootstrap, chroot)" >&2; exit 2; }
start=$(date +%s)
step() { echo "== $(( $(date +%s) - start )) s: $*"; }

step "package"
TREE=$OUT
if [ -n "${BUILD:-}" ]; then
  TREE=$(cd "$BUILD" && pwd)
else
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$SOURCE" -B "$TREE" "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DWAVEDECK_BUILD_TESTS=OFF -DWAVEDECK_BUILD_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
fi
cmake --build "$TREE" -j2 --target wavedeck lame_enc wavedeck_host wavedeck_gui
mkdir -p "$OUT"
rm -f "$TREE"/wavedeck_*.deb
(cd "$TREE" && cpack -G DEB >/dev/null)
DEB=$(ls "$TREE"/wavedeck_*.deb)

step "root"
if [ -n "${FRESH:-}" ] || [ ! -x "$ROOT/usr/bin/apt-get" ]; then
  rm -rf "$ROOT"
  debootstrap --variant=minbase bookworm "$ROOT" "$MIRROR" >"$OUT/debootstrap.log"
fi
mounted=()
cleanup() { for m in "${mounted[@]}"; do umount -l "$m" || true; done; }
trap cleanup EXIT
for fs in proc dev; do
  mount --bind "/$fs" "$ROOT/$fs"
  mounted+=("$ROOT/$fs")
done
in_root() { chroot "$ROOT" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

step "install"
cp "$DEB" "$ROOT/tmp/"
in_root apt-get update -q >/dev/null
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$(basename "$DEB")" >"$OUT/apt.log"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends xvfb ffmpeg \
  desktop-file-utils appstream >>"$OUT/apt.log"

step "wavedeck demo"
in_root env WAVEDECK_AUDIO=null WAVEDECK_DISPLAY=headless wavedeck demo --out /tmp/demo
ls "$ROOT/tmp/demo"

step "wavedeck-gui under Xvfb"
in_root sh -c '
  Xvfb :7 -screen 0 960x620x24 -nolisten tcp -extension Composite & xvfb=$!
  trap "kill $xvfb" EXIT
  sleep 2
  export DISPLAY=:7 NO_AT_BRIDGE=1 WAVEDECK_AUDIO=null WAVEDECK_GUI_LOG=/tmp/gui.log
  wavedeck-gui /tmp/demo/saved.wav & gui=$!
  for i in $(seq 100); do grep -q " event opened " /tmp/gui.log 2>/dev/null && break; sleep 0.2; done
  sleep 1
  ffmpeg -loglevel error -y -f x11grab -video_size 960x620 -i :7 -frames:v 1 /tmp/gui.png
  kill $gui
  grep -q " event opened /tmp/demo/saved.wav" /tmp/gui.log && grep -q " draw main" /tmp/gui.log'
cp "$ROOT/tmp/gui.png" "$OUT/wavedeck-gui.png"

step "validate"
in_root desktop-file-validate /usr/share/applications/org.wavedeck.WaveDeck.desktop
in_root appstreamcli validate --no-net /usr/share/metainfo/org.wavedeck.WaveDeck.metainfo.xml
in_root sh -c 'man -w wavedeck wavedeck-gui 2>/dev/null || test -f /usr/share/man/man1/wavedeck-gui.1'

step "done: $(basename "$DEB") installs and runs on Debian 12"

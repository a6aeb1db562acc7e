#!/usr/bin/env bash
# The one list of Debian packages WaveDeck needs to build, test and run.
# Used by both README set-up commands and by CI; safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  pulseaudio pulseaudio-utils libpulse-dev
  xvfb xauth x11-apps libsdl2-dev libgtk-3-dev librsvg2-common xdotool
  libfreetype-dev libfontconfig-dev fontconfig fonts-liberation fonts-dejavu-core libpng-dev libstb-dev
  libsndfile1-dev libvorbis-dev libogg-dev libmad0-dev libsamplerate0-dev libsoundtouch-dev libmp3lame-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev ffmpeg sox libsox-fmt-all
  lame madplay vorbis-tools
  libcdio-dev libcdio-utils samplerate-programs
  debootstrap desktop-file-utils appstream
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends \
  -o DPkg::Lock::Timeout=600 "${missing[@]}"

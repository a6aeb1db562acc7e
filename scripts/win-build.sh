#!/usr/bin/env bash
# Builds the 32-bit Windows DLLs (wavedeck.dll, its import library wavedeck.lib, and
# lame_enc.dll) from this tree: the cross tools and Wine are installed when missing, the
# libraries are cross-built once into the cache (scripts/win-deps.sh), then CMake builds.
#
#   usage: scripts/win-build.sh [BUILD_DIR]     (default: build-win)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}

stage=$("$root/scripts/win-deps.sh" --install-tools)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# wavedeck.exe's output is compared with the Linux build's wavedeck when there is one.
linux_host=()
[ -x "$root/build/bin/wavedeck" ] && linux_host=(-DWAVEDECK_LINUX_HOST="$root/build/bin/wavedeck")
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DWAVEDECK_WIN_STAGE="$stage" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "${linux_host[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

#!/usr/bin/env bash
# Cross-builds the third-party libraries of the Windows DLL (static, 32-bit, mingw-w64)
# from Debian's source packages into a staging folder, and prints that folder.
#
#   scripts/win-deps.sh [--install-tools]
#
# The cache lives outside the clone ($WAVEDECK_WIN_CACHE, default ~/.cache/wavedeck-win):
# source packages, apt's private lists, and one staging folder per set of package versions
# and build recipe, so a new Debian revision or a changed recipe builds afresh while an
# unchanged one costs nothing. The system's apt sources are never changed: a private
# APT_CONFIG mirrors its Debian entries as deb-src.
set -euo pipefail
shopt -s inherit_errexit

ROOT=$(cd "$(dirname "$0")/.." && pwd)
CACHE=${WAVEDECK_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/wavedeck-win}
JOBS=${WAVEDECK_WIN_JOBS:-$(nproc)}
HOST=i686-w64-mingw32
TOOLCHAIN=$ROOT/cmake/mingw-i686.cmake
PACKAGES=(libogg libvorbis libsndfile libmad lame libsamplerate soundtouch ffmpeg libcdio googletest)

log() { echo "win-deps: $*" >&2; }

install_tools() {
  local need=(g++-mingw-w64-i686-posix libz-mingw-w64-dev libstb-dev dpkg-dev cmake make ninja-build xz-utils wine wine32:i386)
  local missing=()
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  for p in "${need[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
}
[ "${1:-}" = --install-tools ] && install_tools >&2

# ---- Private apt configuration: the system's Debian entries, as source entries ----
APTDIR=$CACHE/apt
mkdir -p "$APTDIR/lists/partial" "$APTDIR/cache/archives/partial" "$APTDIR/sources.list.d"
{
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" && echo
  done
} >"$APTDIR/sources.list.d/debian-src.sources"
{
  [ -e /etc/apt/sources.list ] && sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list
} >"$APTDIR/sources.list"
cat >"$APTDIR/apt.conf" <<EOF
Dir::Etc::SourceList "$APTDIR/sources.list";
Dir::Etc::SourceParts "$APTDIR/sources.list.d";
Dir::State::Lists "$APTDIR/lists";
Dir::Cache "$APTDIR/cache";
APT::Sandbox::User "root";
EOF
export APT_CONFIG=$APTDIR/apt.conf

# Refresh the source lists at most once a day: versions then stay put within a day.
if [ -z "$(find "$APTDIR/lists" -maxdepth 1 -name '*Sources*' -mtime -1 -print -quit)" ]; then
  log "updating the source package lists"
  apt-get update -qq -o APT::Get::List-Cleanup=1 >&2
fi

declare -A VERSION
for p in "${PACKAGES[@]}"; do
  VERSION[$p]=$(apt-cache showsrc "$p" | sed -n 's/^Version: //p' | sort -V | tail -1)
  [ -n "${VERSION[$p]}" ] || { log "no source package $p"; exit 1; }
done

# The staging folder belongs to one set of package versions and one toolchain file; within
# it each package is rebuilt when its own recipe changes.
KEY=$( { for p in "${PACKAGES[@]}"; do echo "$p ${VERSION[$p]}"; done; cat "$TOOLCHAIN"; } | sha256sum | cut -c1-16)
STAGE=$CACHE/stage-$KEY
SRC=$CACHE/src
BUILD=$CACHE/build
mkdir -p "$STAGE/.done" "$SRC" "$BUILD"

# Unpacks a source package once per version; prints its folder.
source_of() {
  local p=$1 v=${VERSION[$1]} dir
  local upstream=${v#*:}
  upstream=${upstream%-*}
  dir=$SRC/$p-$upstream
  if [ ! -e "$SRC/.$p-$v" ] || [ ! -d "$dir" ]; then
    rm -rf "$dir" "$SRC/$p-$v.tmp"
    mkdir -p "$SRC/$p-$v.tmp"
    (cd "$SRC/$p-$v.tmp" && apt-get source --download-only -qq "$p=$v" >&2) || true
    if compgen -G "$SRC/$p-$v.tmp/*.debian.tar.*" >/dev/null || compgen -G "$SRC/$p-$v.tmp/*.diff.gz" >/dev/null; then
      (cd "$SRC/$p-$v.tmp" && dpkg-source -x ./*.dsc >&2)
    else
      # Some mirrors serve no old-style .diff.gz: the upstream tarball alone then.
      log "$p: no Debian changes could be fetched, building the upstream source"
      tar -xf "$(ls "$SRC/$p-$v.tmp"/*.orig.tar.* | grep -v '\.asc$' | head -1)" -C "$SRC/$p-$v.tmp"
    fi
    mv "$(find "$SRC/$p-$v.tmp" -mindepth 1 -maxdepth 1 -type d | head -1)" "$dir"
    rm -rf "$SRC/$p-$v.tmp"
    touch "$SRC/.$p-$v"
  fi
  echo "$dir"
}

cmake_build() {
  local p=$1
  shift
  local dir
  dir=$(source_of "$p")
  rm -rf "${BUILD:?}/$p"
  cmake -S "$dir" -B "$BUILD/$p" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$STAGE" -DCMAKE_PREFIX_PATH="$STAGE" \
    -DWAVEDECK_WIN_STAGE="$STAGE" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@" >"$BUILD/$p.log"
  cmake --build "$BUILD/$p" -j "$JOBS" >>"$BUILD/$p.log"
  cmake --install "$BUILD/$p" >>"$BUILD/$p.log"
}

configure_build() {
  local p=$1
  shift
  local dir
  dir=$(source_of "$p")
  rm -rf "${BUILD:?}/$p"
  mkdir -p "$BUILD/$p"
  (cd "$BUILD/$p" && "$dir/configure" --host=$HOST --prefix="$STAGE" --enable-static --disable-shared \
    CC=$HOST-gcc-posix CXX=$HOST-g++-posix AR=$HOST-gcc-ar-posix RANLIB=$HOST-gcc-ranlib-posix "$@") >"$BUILD/$p.log"
  echo "$BUILD/$p"
}

build_libogg() { cmake_build libogg -DINSTALL_DOCS=OFF; }
build_libvorbis() { cmake_build libvorbis; }
build_libsndfile() {
  cmake_build libsndfile -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DENABLE_CPACK=OFF \
    -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DINSTALL_MANPAGES=OFF -DBUILD_REGTEST=OFF
}
build_libmad() {
  local b
  # Its 2004 configure adds -fforce-mem, which GCC no longer knows.
  sed -i 's/ -fforce-mem//' "$(source_of libmad)/configure"
  b=$(configure_build libmad --disable-debugging --enable-fpm=intel)
  make -C "$b" -j "$JOBS" libmad.la >>"$b/../libmad.log"
  make -C "$b" install-libLTLIBRARIES install-nodist_includeHEADERS install-includeHEADERS >>"$b/../libmad.log" 2>&1 ||
    make -C "$b" install >>"$b/../libmad.log"
  # Debian adds the pkg-config file in its packaging, not upstream.
  mkdir -p "$STAGE/lib/pkgconfig"
  printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: mad\nDescription: MPEG audio decoder\nVersion: 0.15.1b\nLibs: -L${libdir} -lmad\nCflags: -I${includedir}\n' \
    "$STAGE" >"$STAGE/lib/pkgconfig/mad.pc"
}
build_lame() {
  local b
  b=$(configure_build lame --disable-frontend --disable-gtktest --disable-decoder --disable-analyzer-hooks)
  make -C "$b/mpglib" -j "$JOBS" >>"$b/../lame.log" 2>&1 || true
  make -C "$b/libmp3lame" -j "$JOBS" install >>"$b/../lame.log"
  make -C "$b/include" install >>"$b/../lame.log"
  mkdir -p "$STAGE/lib/pkgconfig"
  printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: lame\nDescription: MP3 encoder\nVersion: 3.100\nLibs: -L${libdir} -lmp3lame\nCflags: -I${includedir}\n' \
    "$STAGE" >"$STAGE/lib/pkgconfig/lame.pc"
}
build_libsamplerate() { cmake_build libsamplerate -DLIBSAMPLERATE_EXAMPLES=OFF -DLIBSAMPLERATE_INSTALL=ON; }
# Its SSE code paths are chosen at run time but need the compiler to allow SSE.
build_soundtouch() { cmake_build soundtouch -DSOUNDSTRETCH=OFF -DSOUNDTOUCH_DLL=OFF -DOPENMP=OFF -DCMAKE_CXX_FLAGS=-msse2; }
build_ffmpeg() {
  local dir
  dir=$(source_of ffmpeg)
  rm -rf "${BUILD:?}/ffmpeg"
  mkdir -p "$BUILD/ffmpeg"
  # Only what the Windows-Media stand-in uses: the ASF container and the WMA codecs.
  (cd "$BUILD/ffmpeg" && "$dir/configure" --prefix="$STAGE" --enable-cross-compile --target-os=mingw32 --arch=x86 \
    --cross-prefix=$HOST- --cc=$HOST-gcc-posix --cxx=$HOST-g++-posix --pkg-config=pkg-config \
    --enable-static --disable-shared --disable-programs --disable-doc --disable-debug \
    --disable-everything --disable-network --disable-autodetect --disable-x86asm \
    --disable-avdevice --disable-avfilter --disable-swscale --disable-postproc \
    --enable-demuxer=asf --enable-muxer=asf --enable-protocol=file \
    --enable-decoder=wmav1,wmav2,wmapro --enable-encoder=wmav1,wmav2 \
    --enable-swresample) >"$BUILD/ffmpeg.log"
  make -C "$BUILD/ffmpeg" -j "$JOBS" >>"$BUILD/ffmpeg.log"
  make -C "$BUILD/ffmpeg" install >>"$BUILD/ffmpeg.log"
}
build_libcdio() {
  local b
  b=$(configure_build libcdio --disable-cxx --disable-cpp-progs --disable-example-progs --disable-joliet \
    --disable-rock --without-cd-drive --without-cd-info --without-cdda-player --without-cd-read \
    --without-iso-info --without-iso-read --without-versioned-libs)
  make -C "$b/lib/driver" -j "$JOBS" install >>"$b/../libcdio.log"
  make -C "$b/include" install >>"$b/../libcdio.log"
  make -C "$b" install-pkgconfigDATA >>"$b/../libcdio.log"
}
build_googletest() { cmake_build googletest -Dgtest_force_shared_crt=ON; }

recipe_of() { { declare -f "build_$1" cmake_build configure_build source_of; } | sha256sum | cut -c1-16; }

start=$(date +%s)
for p in "${PACKAGES[@]}"; do
  stamp=$STAGE/.done/$p-$(recipe_of "$p")
  [ -e "$stamp" ] && continue
  log "building $p ${VERSION[$p]}"
  t0=$(date +%s)
  "build_$p"
  rm -f "$STAGE/.done/$p"-*
  touch "$stamp"
  log "$p built in $(($(date +%s) - t0)) s"
done
# Older stages (other versions or recipes) are of no further use.
find "$CACHE" -maxdepth 1 -name 'stage-*' ! -name "stage-$KEY" -exec rm -rf {} +
ln -sfn "stage-$KEY" "$CACHE/stage"
log "staging folder ready in $(($(date +%s) - start)) s"
echo "$STAGE"

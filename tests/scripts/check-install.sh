#!/usr/bin/env bash
# Installs the build into a throw-away prefix and builds a small C host against it the
# way a host developer would: with pkg-config alone.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(ls -d "$prefix"/lib* | head -n 1)
test -f "$libdir/liblame_enc.so"
test -f "$prefix/include/wavedeck/wavedeck.h"
cat > "$prefix/host.c" <<'C'
#include <stdio.h>
#include <string.h>
#include <wavedeck.h>
#include <wavedeck_win.h>
int main(void) {
    char out[WD_MAX_TEXT];
    if (WDXGetFileExtension("/music/take.WAV", out) != 0 || strcmp(out, "WAV") != 0) return 1;
    if (WDXGetFormatQuality(1) <= 0) return 1;
    printf("%s\n", WDXGetVersion());
    return 0;
}
C
export PKG_CONFIG_PATH="$libdir/pkgconfig"
# shellcheck disable=SC2046
cc -std=c11 -Wall -Wextra -Werror -o "$prefix/host" "$prefix/host.c" $(pkg-config --cflags --libs wavedeck)
WAVEDECK_REGISTRY="$prefix/registry" XDG_CACHE_HOME="$prefix/cache" "$prefix/host"

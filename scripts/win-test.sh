#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, headless: a 32-bit prefix of the build's own
# with the null graphics driver and no crash dialog, winmm over a null ALSA device, and
# one persistent wineserver for the whole run (each test process then starts in tens of
# milliseconds instead of seconds). Extra arguments go to ctest.
#
#   usage: scripts/win-test.sh BUILD_DIR [CTEST_ARGS...]
set -euo pipefail
build=$(cd "$1" && pwd)
shift

export WINEPREFIX=$build/wine-prefix
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The system's ALSA set-up loads a pulse plug-in that has no 32-bit build here.
export ALSA_CONFIG_PATH=$build/wine-alsa.conf
printf 'pcm.!default { type null }\nctl.!default { type null }\n' >"$ALSA_CONFIG_PATH"

if [ ! -e "$WINEPREFIX/.wavedeck-ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  cat >"$build/wine-settings.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="null"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
  wine regedit /S "$build/wine-settings.reg"
  wineserver -w
  touch "$WINEPREFIX/.wavedeck-ready"
fi

# It detaches itself once it listens, so every test process finds it; -k ends the server
# of this prefix only.
wineserver -p
trap 'wineserver -k || true' EXIT
# Wine's services start with the first program and live as long as the server; started
# here, they do not hold the first test's output open (ctest would wait for them).
wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
# A test that fails is run once more: now and then a test process under Wine ends with an
# access violation after its last line was written (twice in about ten runs of the whole
# suite, never when the same test ran alone hundreds of times). A real failure fails twice.
ctest --test-dir "$build" --output-on-failure --repeat until-pass:2 "$@"

#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and runs it under Wine as a player would
# see it: in a Wine prefix of its own (build/wine-run/prefix) with Wine's own fonts in place, on
# a fresh copy of the demo game folder whose path is the game's registry value in that prefix.
# The repository's demo folder is never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

bash scripts/setup.sh --test
cmake --preset windows >/dev/null
cmake --build --preset windows --target TavrelCustomizer
exe=$repo/build/windows/src/platform/win32/TavrelCustomizer.exe

# ws_log, ws_die and ws_install_fonts come from the Wine test session.
# shellcheck source=tests/win32/wine_session.sh
. tests/win32/wine_session.sh

export WINEPREFIX=$repo/build/wine-run/prefix
export WINEDEBUG=-all
# No Mono or Gecko installers (they would wait for a click), no menu entries in the desktop.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset TAVREL_GAME_DIR

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: running on a virtual one (xvfb-run)."
    exec xvfb-run -a "$0" "$@"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    ws_log "creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || ws_die "wineboot could not create $WINEPREFIX"
    wineserver -w
fi
ws_install_fonts "$WINEPREFIX"

game=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-demo.XXXXXX")
cp -r demo/game/. "$game/"
echo "Demo game folder: $game"
# Where the game's 32-bit installer would have written it.
wine reg add 'HKLM\Software\Taldren\Starfleet Command II' /v Path /t REG_SZ \
    /d "Z:${game//\//\\}" /reg:32 /f >/dev/null 2>&1 || ws_die "could not write the game's path"
exec wine "$exe"

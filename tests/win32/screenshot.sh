#!/bin/bash
# Screenshots of the Windows program under Wine for the documentation:
#
#   screenshot.sh OUTDIR [TavrelCustomizer.exe [tc_probe.exe]]
#
# writes OUTDIR/win32-main.png (the main dialog filled from a sample game folder) and
# OUTDIR/win32-about.png (the About box opened from the system menu), OUTDIR/win32-help.png
# (F1's box) and OUTDIR/win32-help-installations.png (F1's box with a second installation in the
# native registry view, the program run from Program Files). Without paths, the executables of
# build/windows are used (cmake --preset windows && cmake --build build/windows).
set -euo pipefail

HERE=$(dirname "$(realpath "$0")")
REPO=$(realpath "$HERE/../..")
OUT=${1:?usage: screenshot.sh OUTDIR [TavrelCustomizer.exe [tc_probe.exe]]}
EXE=$(realpath "${2:-$REPO/build/windows/src/platform/win32/TavrelCustomizer.exe}")
PROBE=$(realpath "${3:-$REPO/build/windows/tests/win32/tc_probe.exe}")
mkdir -p "$OUT"
OUT=$(realpath "$OUT")
command -v import >/dev/null || { echo "ImageMagick's import is needed" >&2; exit 1; }

. "$HERE/wine_session.sh"
ws_start "$EXE" "$PROBE"

# A game folder with the settings most players use.
GAME=$WS_ROOT/game
mkdir -p "$GAME/Assets/Scripts"
printf '%s\r\n' '[Mul_Tavrel]' 'multiplier=1.70' 'type=0' 'rrace=255' 'srace=-1' 'race=0' \
    'hull=8184' 'hullpercentA=1093813840' 'hullpercentB=339160380' 'hullpercentC=657950' \
    'era=2' 'ModSupport=-25' >"$GAME/Assets/Scripts/scripts.ini"
printf '%s\r\n' '[UI]' 'UIType=2' >"$GAME/sfc.ini"
ws_set_game_path "$GAME"

# shoot WINDOW_ID FILE: the window as Wine draws it, frame and caption included.
shoot() {
    sleep 0.5  # let the last paint reach the X server
    import -window "$1" "$2" || ws_die "import failed for $2"
    ws_log "wrote $2 ($(identify -format '%wx%h' "$2" 2>/dev/null || echo '?'))"
}

ws_run_app
MAIN=$(ws_wait_window "$WS_MAIN_TITLE" 30) || ws_die "main dialog did not appear"
ws_wait_focus "$MAIN" || true
# Wine draws a dialog's first activation with the inactive caption colours; have the caption
# redrawn as the active one it is.
ws_probe "$WS_MAIN_TITLE" ncactivate >/dev/null
shoot "$MAIN" "$OUT/win32-main.png"

ws_keys alt+space
sleep 0.3
ws_keys Up Return
ABOUT=$(ws_wait_window "$WS_ABOUT_TITLE" 10) || {
    ws_probe "$WS_MAIN_TITLE" syscommand:10 >/dev/null
    ABOUT=$(ws_wait_window "$WS_ABOUT_TITLE" 10) || ws_die "About box did not appear"
}
ws_wait_focus "$ABOUT" || true
ws_probe "$WS_ABOUT_TITLE" ncactivate >/dev/null
shoot "$ABOUT" "$OUT/win32-about.png"
ws_keys Return
ws_wait_no_window "$WS_ABOUT_TITLE" 10 || true
ws_wait_focus "$MAIN" || true
ws_keys F1
HELP=$(ws_wait_window "$(basename "$EXE" .exe)" 10) || ws_die "F1's box did not appear"
ws_wait_focus "$HELP" || true
shoot "$HELP" "$OUT/win32-help.png"
ws_keys Return
ws_wait_no_window "$(basename "$EXE" .exe)" 10 || true
ws_wait_focus "$MAIN" || true
ws_keys Escape
ws_wait_app_exit 15 || ws_die "program did not end"

# Another installation, which F1 lists after the edited one with the command that edits it.
OTHER="$WINEPREFIX/drive_c/GOG Games/Starfleet Command II"
mkdir -p "$OTHER/Assets/Scripts"
cp "$GAME/Assets/Scripts/scripts.ini" "$OTHER/Assets/Scripts/"
cp "$GAME/sfc.ini" "$OTHER/"
ws_wine reg add 'HKLM\Software\Taldren\Starfleet Command II' /v Path /t REG_SZ \
    /d 'C:\GOG Games\Starfleet Command II' /reg:64 /f || ws_die "reg add failed"
INSTALLED="$WINEPREFIX/drive_c/Program Files/Tavrel Customizer"
mkdir -p "$INSTALLED"
cp "$EXE" "$INSTALLED/"
WS_EXE="$INSTALLED/$(basename "$EXE")"
ws_run_app
MAIN=$(ws_wait_window "$WS_MAIN_TITLE" 30) || ws_die "main dialog did not appear"
ws_wait_focus "$MAIN" || true
ws_keys F1
HELP=$(ws_wait_window "$(basename "$EXE" .exe)" 10) || ws_die "F1's box did not appear"
ws_wait_focus "$HELP" || true
shoot "$HELP" "$OUT/win32-help-installations.png"
ws_keys Return
ws_wait_no_window "$(basename "$EXE" .exe)" 10 || true
ws_wait_focus "$MAIN" || true
ws_keys Escape
ws_wait_app_exit 15 || ws_die "program did not end"

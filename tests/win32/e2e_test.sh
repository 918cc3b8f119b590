#!/bin/bash
# End-to-end test of TavrelCustomizer.exe under Wine on a private Xvfb display, driven by real
# key presses (xdotool through XTEST). What the controls show in between is read with tc_probe.
#
#   e2e_test.sh TavrelCustomizer.exe tc_probe.exe
#
# Runs of the program:
#   1. slider keys, Tab order, the AI list, typing into an odds field and leaving it, Enter:
#      scripts.ini and sfc.ini are compared byte for byte with the expected files;
#   2. a change, the About box from the system menu (the main dialog disabled meanwhile), F1's
#      box with the files' paths, then Escape: nothing is written;
#   3. no registry value: the load error carries the program's name as caption, the dialog
#      stays open, Escape ends it and nothing is written;
#   4. a second installation in the native registry view, the program copied to a folder whose
#      name needs quoting: F1 names both, and the command it gives, typed into Wine's cmd,
#      opens the dialog on the other one. A 32-bit prefix (WINEARCH=win32) has one view, and no
#      run 4.
# Every wait has its own limit; CTest stops the whole test at four minutes.
set -euo pipefail

EXE=$(realpath "$1")
PROBE=$(realpath "$2")
. "$(dirname "$(realpath "$0")")/wine_session.sh"

ws_start "$EXE" "$PROBE"

# Control ids of the main dialog (res/resource.h).
IDC_DIFFICULTY_VALUE=1000
IDC_DIFFICULTY_SLIDER=1033
IDC_AI_LEVEL=1034
IDC_USE_BATTLESHIP=1028
IDC_ODDS_BATTLESHIP=1038
IDC_ODDS_DREADNOUGHT=1039
IDC_MONSTER_ODDS=1048

GAME=$WS_ROOT/game
mkdir -p "$GAME/Assets/Scripts"
SCRIPTS=$GAME/Assets/Scripts/scripts.ini
SFC=$GAME/sfc.ini

# Files as the game ships them: CRLF, a comment, another section after ours.
crlf() { printf '%s\r\n' "$@"; }
crlf '; Multiplayer mission scripts' '[Mul_Tavrel]' 'multiplier=1.10' 'type=0' 'rrace=3' \
    'srace=-1' 'race=0' 'hull=8184' 'hullpercentA=1093813840' 'hullpercentB=339160380' \
    'hullpercentC=657950' 'era=2' 'ModSupport=-9' '[Mul_Other]' 'multiplier=2.00' >"$SCRIPTS"
crlf '[Graphics]' 'Width=1024' '[UI]' 'UIType=1' 'Language=en' >"$SFC"

# A 32-bit installer writes the game's key. In a 64-bit prefix that is the 32-bit registry view
# (Software\Wow6432Node); a 32-bit prefix has no other.
ONE_VIEW=0
[ "${WINEARCH:-}" != win32 ] || ONE_VIEW=1
ws_set_game_path "$GAME"
if [ "$ONE_VIEW" -eq 1 ]; then
    expect_probe - "the game's folder is in the one registry view" \
        reg32 "$(ws_windows_path "$GAME")" reg64 "$(ws_windows_path "$GAME")"
else
    expect_probe - "the game's folder is in the 32-bit view only" \
        reg32 "$(ws_windows_path "$GAME")" reg64 "<none>"
fi

start_main() {
    ws_run_app
    MAIN=$(ws_wait_window "$WS_MAIN_TITLE" 30) || ws_die "main dialog did not appear"
    ws_wait_focus "$MAIN" || ws_die "main dialog did not get the keyboard focus"
}

finish_main() {
    ws_wait_app_exit 15 || ws_die "program did not end"
    [ "$WS_APP_STATUS" = 0 ] || ws_die "program ended with status $WS_APP_STATUS"
}

checksums() { md5sum "$SCRIPTS" "$SFC"; }

# --- 1. Edit, then Enter ------------------------------------------------------------------------
ws_log "run 1: edit, Enter"
start_main
expect_probe "$WS_MAIN_TITLE" "the slider has the focus, the loaded multiplier shows" \
    focus "$IDC_DIFFICULTY_SLIDER" "text:$IDC_DIFFICULTY_VALUE" 1.1
ws_keys Right Right Right
expect_probe "$WS_MAIN_TITLE" "three steps right from 1.1" "text:$IDC_DIFFICULTY_VALUE" 1.13
ws_keys Tab
expect_probe "$WS_MAIN_TITLE" "Tab from the slider" focus "$IDC_DIFFICULTY_VALUE"
ws_keys Tab
expect_probe "$WS_MAIN_TITLE" "Tab to the AI list, which shows the loaded level" \
    focus "$IDC_AI_LEVEL" "text:$IDC_AI_LEVEL" Commodore
ws_keys Down
expect_probe "$WS_MAIN_TITLE" "Down in the AI list" "text:$IDC_AI_LEVEL" Admiral
ws_keys Tab
expect_probe "$WS_MAIN_TITLE" "Tab to the Battleship box" focus "$IDC_USE_BATTLESHIP"
ws_keys Tab
expect_probe "$WS_MAIN_TITLE" "Tab to the Battleship odds" focus "$IDC_ODDS_BATTLESHIP"
# Tabbing into an edit selects its text, so typing replaces it. Signs, letters and points are
# dropped; the field takes three characters.
ws_keys minus a period 7 4 2 9
expect_probe "$WS_MAIN_TITLE" "typed into the odds field" "text:$IDC_ODDS_BATTLESHIP" 742
ws_keys Tab
expect_probe "$WS_MAIN_TITLE" "Tab to the Dreadnought odds; the field left shows 100" \
    focus "$IDC_ODDS_DREADNOUGHT" "text:$IDC_ODDS_BATTLESHIP" 100
ws_keys Return
finish_main

crlf '; Multiplayer mission scripts' '[Mul_Tavrel]' 'multiplier=1.13' 'type=0' 'rrace=3' \
    'srace=-1' 'race=0' 'hull=8184' 'hullpercentA=1093813840' 'hullpercentB=339160380' \
    'hullpercentC=680990' 'era=2' 'ModSupport=-9' '[Mul_Other]' 'multiplier=2.00' \
    >"$WS_ROOT/scripts.expected"
crlf '[Graphics]' 'Width=1024' '[UI]' 'UIType=2' 'Language=en' >"$WS_ROOT/sfc.expected"
for pair in "$SCRIPTS:$WS_ROOT/scripts.expected" "$SFC:$WS_ROOT/sfc.expected"; do
    written=${pair%%:*}
    wanted=${pair#*:}
    cmp -s "$written" "$wanted" || ws_die "$(basename "$written") differs from the expected bytes:
$(diff <(od -c "$wanted") <(od -c "$written") | head -20)"
done
ws_log "ok: both files written byte for byte as expected"
BEFORE=$(checksums)

# --- 2. A change, the About box, then Escape ----------------------------------------------------
ws_log "run 2: About box, Escape"
start_main
expect_probe "$WS_MAIN_TITLE" "the multiplier saved by run 1" "text:$IDC_DIFFICULTY_VALUE" 1.13
ws_keys End
expect_probe "$WS_MAIN_TITLE" "End on the slider" "text:$IDC_DIFFICULTY_VALUE" 3

# Alt+Space opens the system menu; the About item is its last, so Up from the top reaches it.
# (Wine adds an "About Wine" item with the same mnemonic, so the letter would not do.)
ws_keys alt+space
ws_keys Up Return
ABOUT=$(ws_wait_window "$WS_ABOUT_TITLE" 10) || {
    ws_log "the system menu did not answer to keys; posting WM_SYSCOMMAND IDM_ABOUTBOX instead"
    ws_probe "$WS_MAIN_TITLE" syscommand:10 >/dev/null
    ABOUT=$(ws_wait_window "$WS_ABOUT_TITLE" 10) || ws_die "About box did not appear"
}
expect_probe "$WS_MAIN_TITLE" "the main dialog is disabled under the About box" enabled:0 0
TEXTS=$(ws_probe "$WS_ABOUT_TITLE" statics) || ws_die "no answer about the About box"
case "$TEXTS" in
    "Tavrel Customizer 4.0 for EAW|"*) ws_log "ok: About box texts ($TEXTS)" ;;
    *) ws_die "About box texts: '$TEXTS'" ;;
esac
ws_wait_focus "$ABOUT" || ws_die "About box did not get the focus"
ws_keys Return
ws_wait_no_window "$WS_ABOUT_TITLE" 10 || ws_die "Enter did not close the About box"
expect_probe "$WS_MAIN_TITLE" "the main dialog is enabled again, its value kept" \
    enabled:0 1 "text:$IDC_DIFFICULTY_VALUE" 3
ws_wait_focus "$MAIN" || ws_die "main dialog did not get the focus back"

# F1 is the Help command: a box saying where the settings are. F1 inside it, which
# Windows hands on to the disabled main dialog, opens no second box.
APP_NAME=$(basename "$EXE" .exe)
ws_keys F1
BOX=$(ws_wait_window "$APP_NAME" 10) || ws_die "F1 did not open the settings box"
MESSAGE=$(ws_probe "$APP_NAME" edits | tr -d '\r')
case "$MESSAGE" in
    "Game folder: "*"scripts.ini"*"sfc.ini"*) ws_log "ok: F1 tells where the settings are" ;;
    *) ws_die "unexpected F1 text: '$MESSAGE'" ;;
esac
ws_wait_focus "$BOX" || ws_die "settings box did not get the focus"
ws_keys F1
sleep 1
ws_keys Return
ws_wait_no_window "$APP_NAME" 10 || ws_die "F1 inside the box opened a second box"
ws_log "ok: F1 inside the box opened no second one"
ws_wait_focus "$MAIN" || ws_die "main dialog did not get the focus back"
ws_keys Escape
finish_main
[ "$(checksums)" = "$BEFORE" ] || ws_die "Escape wrote to the files"
ws_log "ok: Escape left both files unchanged"

# --- 3. No game folder --------------------------------------------------------------------------
ws_log "run 3: no registry value"
ws_delete_game_key
ws_run_app
# The message box's caption is the application's name: the executable's name without ".exe".
BOX=$(ws_wait_window "$APP_NAME" 30) || ws_die "no message box captioned \"$APP_NAME\""
MESSAGE=$(ws_probe "$APP_NAME" statics)
case "$MESSAGE" in
    "Error reading from scripts.ini; code "*.) ws_log "ok: the load error is shown ($MESSAGE)" ;;
    *) ws_die "unexpected message: '$MESSAGE'" ;;
esac
ws_wait_focus "$BOX" || ws_die "message box did not get the focus"
ws_keys Return
ws_wait_no_window "$APP_NAME" 10 || ws_die "Enter did not close the message box"
MAIN=$(ws_wait_window "$WS_MAIN_TITLE" 10) || ws_die "main dialog is gone after the load error"
expect_probe "$WS_MAIN_TITLE" "the dialog stays, its odds fields as the template has them" \
    "text:$IDC_DIFFICULTY_VALUE" 0 "enabled:$IDC_MONSTER_ODDS" 1
ws_wait_focus "$MAIN" || ws_die "main dialog did not get the focus"
ws_keys Escape
finish_main
[ "$(checksums)" = "$BEFORE" ] || ws_die "the run without a game folder wrote to the files"

# --- 4. Two installations -----------------------------------------------------------------------
if [ "$ONE_VIEW" -eq 1 ]; then
    ws_log "PASS in $(ws_elapsed) s (one registry view: no run 4)"
    exit 0
fi
ws_log "run 4: another installation, and the command F1 gives for it"
ws_set_game_path "$GAME"
# Names that Command Prompt would otherwise take apart: blanks, %, &, ^ and parentheses.
OTHER="$WS_ROOT/other 100% & ^co (2)"
mkdir -p "$OTHER/Assets/Scripts"
crlf '[Mul_Tavrel]' 'multiplier=2.50' >"$OTHER/Assets/Scripts/scripts.ini"
ws_wine reg add 'HKLM\Software\Taldren\Starfleet Command II' /v Path /t REG_SZ \
    /d "$(ws_windows_path "$OTHER")" /reg:64 /f || ws_die "reg add failed"
COPY="$WS_ROOT/bin 50% & ^x"
mkdir -p "$COPY"
cp "$EXE" "$COPY/"
WS_EXE="$COPY/$(basename "$EXE")"
start_main
ws_keys F1
BOX=$(ws_wait_window "$APP_NAME" 10) || ws_die "F1 did not open the settings box"
MESSAGE=$(ws_probe "$APP_NAME" edits | tr -d '\r')
case "$MESSAGE" in
    "Game folder: $(ws_windows_path "$GAME")"*"Other installations of the game, not edited here."*$'\n'"$(ws_windows_path "$OTHER") (registry, native view)"$'\n'"set TAVREL_GAME_DIR="*)
        ws_log "ok: F1 names the edited installation, then the other one" ;;
    *) ws_die "unexpected F1 text: '$MESSAGE'" ;;
esac
COMMAND=$(printf '%s\n' "$MESSAGE" | grep '^set TAVREL_GAME_DIR=') ||
    ws_die "no command in the F1 text"
ws_log "the command: $COMMAND"
ws_wait_focus "$BOX" || ws_die "settings box did not get the focus"
ws_keys Return
ws_wait_no_window "$APP_NAME" 10 || ws_die "Enter did not close the settings box"
ws_wait_focus "$MAIN" || ws_die "main dialog did not get the focus back"
ws_keys Escape
finish_main
# Typed into Command Prompt as it is, the command opens the dialog on the other installation.
printf '%s\r\n' "$COMMAND" | wine cmd >>"$WS_ROOT/app.log" 2>&1 &
WS_APP_PID=$!
MAIN=$(ws_wait_window "$WS_MAIN_TITLE" 30) || ws_die "the command did not start the program"
ws_wait_focus "$MAIN" || ws_die "main dialog did not get the keyboard focus"
expect_probe "$WS_MAIN_TITLE" "the dialog shows the other installation's multiplier" \
    "text:$IDC_DIFFICULTY_VALUE" 2.5
ws_keys Escape
ws_wait_no_window "$WS_MAIN_TITLE" 15 || ws_die "Escape did not end the program"
finish_main

ws_log "PASS in $(ws_elapsed) s"

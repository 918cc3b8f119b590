#!/bin/bash
# End-to-end test of TavrelCustomizer.exe under Wine with the game where its installer puts it,
# C:\Program Files (x86)\..., played by a standard user: the game's files there cannot be
# written, and the game reads its per-user copies in %LOCALAPPDATA%\VirtualStore.
#
#   virtual_store_e2e_test.sh TavrelCustomizer.exe tc_probe.exe
#
# Wine does not virtualize, but the program finds and writes the copies itself, so the test
# checks the files in the prefix. Read-only real files stand for the folder a standard user
# cannot write. Runs:
#   1. no copies, real files read-only: OK creates both copies with the new values and leaves
#      the real files as they were;
#   2. copies whose values differ from the real files, real files writable (an administrator):
#      the dialog shows the copies' values and OK writes the keys to copies and real files;
#   3. only a copy of sfc.ini (what the game makes), real files read-only again: the dialog
#      shows that copy's AI level and the real scripts.ini's values; OK writes the sfc.ini copy
#      and creates the scripts.ini copy.
set -euo pipefail

EXE=$(realpath "$1")
PROBE=$(realpath "$2")
. "$(dirname "$(realpath "$0")")/wine_session.sh"

ws_start "$EXE" "$PROBE"

IDC_DIFFICULTY_VALUE=1000
IDC_AI_LEVEL=1034

GAME_WIN='C:\Program Files (x86)\Taldren\Starfleet Command II'
GAME="$WINEPREFIX/drive_c/Program Files (x86)/Taldren/Starfleet Command II"
mkdir -p "$GAME/Assets/Scripts"
SCRIPTS=$GAME/Assets/Scripts/scripts.ini
SFC=$GAME/sfc.ini
ws_wine reg add 'HKLM\Software\Taldren\Starfleet Command II' /v Path /t REG_SZ \
    /d "$GAME_WIN" /reg:32 /f || ws_die "reg add failed"

# The user's local application-data folder, as Wine's own programs see it.
LOCAL_WIN=$(timeout 60 wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
LOCAL=$(timeout 60 winepath -u "$LOCAL_WIN" 2>/dev/null) || ws_die "no LOCALAPPDATA in the prefix"
[ -d "$LOCAL" ] || ws_die "LOCALAPPDATA $LOCAL_WIN ($LOCAL) is not a folder"
STORE="$LOCAL/VirtualStore/Program Files (x86)/Taldren/Starfleet Command II"
SCRIPTS_COPY=$STORE/Assets/Scripts/scripts.ini
SFC_COPY=$STORE/sfc.ini
ws_log "VirtualStore copies go to $STORE"

crlf() { printf '%s\r\n' "$@"; }
scripts_with() { # MULTIPLIER
    crlf '; Multiplayer mission scripts' '[Mul_Tavrel]' "multiplier=$1" 'type=0' 'rrace=3' \
        'srace=-1' 'race=0' 'hull=8184' 'hullpercentA=1093813840' 'hullpercentB=339160380' \
        'hullpercentC=657950' 'era=2' 'ModSupport=-9' '[Mul_Other]' 'multiplier=2.00'
}
sfc_with() { crlf '[Graphics]' 'Width=1024' '[UI]' "UIType=$1" 'Language=en'; }

# expect_file FILE WHAT < expected bytes
expect_file() {
    local file=$1 what=$2
    [ -f "$file" ] || ws_die "$what: $file does not exist"
    cat >"$WS_ROOT/expected"
    cmp -s "$file" "$WS_ROOT/expected" || ws_die "$what: $(basename "$file") differs:
$(diff <(od -c "$WS_ROOT/expected") <(od -c "$file") | head -20)"
    ws_log "ok: $what"
}

# A run in which OK must succeed: the dialog ends, no error box stays open.
run_ok() { # WHAT KEYS...
    local what=$1
    shift
    ws_run_app
    MAIN=$(ws_wait_window "$WS_MAIN_TITLE" 30) || ws_die "$what: main dialog did not appear"
    ws_wait_focus "$MAIN" || ws_die "$what: main dialog did not get the keyboard focus"
}
finish_ok() {
    ws_keys Return
    ws_wait_app_exit 15 || ws_die "OK did not end the program (an error shown?): \
$(ws_probe "$(basename "$EXE" .exe)" statics 2>/dev/null || true)"
    [ "$WS_APP_STATUS" = 0 ] || ws_die "program ended with status $WS_APP_STATUS"
}

# --- 1. Standard user, no copies yet ------------------------------------------------------------
ws_log "run 1: real files read-only, no VirtualStore copies"
scripts_with 1.10 >"$SCRIPTS"
sfc_with 1 >"$SFC"
chmod a-w "$SCRIPTS" "$SFC"
run_ok "run 1"
expect_probe "$WS_MAIN_TITLE" "the real files' values show" \
    "text:$IDC_DIFFICULTY_VALUE" 1.1 "text:$IDC_AI_LEVEL" Commodore
ws_keys Right
finish_ok
scripts_with 1.10 | expect_file "$SCRIPTS" "the real scripts.ini is untouched"
sfc_with 1 | expect_file "$SFC" "the real sfc.ini is untouched"
scripts_with 1.11 | expect_file "$SCRIPTS_COPY" "the scripts.ini copy holds the new value"
sfc_with 1 | expect_file "$SFC_COPY" "the sfc.ini copy was made from the real file"

# --- 2. Copies that differ, real files writable ------------------------------------------------
ws_log "run 2: copies with other values, real files writable"
chmod u+w "$SCRIPTS" "$SFC"
scripts_with 2.50 >"$SCRIPTS_COPY"
crlf '[UI]' 'UIType=2' >"$SFC_COPY"
run_ok "run 2"
expect_probe "$WS_MAIN_TITLE" "the copies' values show" \
    "text:$IDC_DIFFICULTY_VALUE" 2.5 "text:$IDC_AI_LEVEL" Admiral
ws_keys Right
finish_ok
scripts_with 2.51 | expect_file "$SCRIPTS_COPY" "the scripts.ini copy is written"
crlf '[UI]' 'UIType=2' | expect_file "$SFC_COPY" "the sfc.ini copy is written"
scripts_with 2.51 | expect_file "$SCRIPTS" "the real scripts.ini gets the keys too"
sfc_with 2 | expect_file "$SFC" "the real sfc.ini gets the keys too, its own lines kept"

# --- 3. Only the game's sfc.ini copy -----------------------------------------------------------
ws_log "run 3: a copy of sfc.ini only, real files read-only"
rm -f "$SCRIPTS_COPY"
scripts_with 1.50 >"$SCRIPTS"
crlf '[UI]' 'UIType=0' >"$SFC_COPY"
chmod a-w "$SCRIPTS" "$SFC"
run_ok "run 3"
expect_probe "$WS_MAIN_TITLE" "the real scripts.ini and the sfc.ini copy show" \
    "text:$IDC_DIFFICULTY_VALUE" 1.5 "text:$IDC_AI_LEVEL" Captain
ws_keys Left
finish_ok
scripts_with 1.50 | expect_file "$SCRIPTS" "the real scripts.ini is untouched"
sfc_with 2 | expect_file "$SFC" "the real sfc.ini is untouched"
scripts_with 1.49 | expect_file "$SCRIPTS_COPY" "the scripts.ini copy is created with the new value"
crlf '[UI]' 'UIType=0' | expect_file "$SFC_COPY" "the sfc.ini copy is written"

ws_log "PASS in $(ws_elapsed) s"

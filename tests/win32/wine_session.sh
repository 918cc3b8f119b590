# shellcheck shell=bash
# Shared by e2e_test.sh and screenshot.sh (sourced, not run): a throwaway Wine prefix on a private
# Xvfb display, the game's registry value and a game folder, and bounded waits for windows.
#
# WINEARCH=win32 makes the prefix a 32-bit one (default: 64-bit, where the program runs through
# WoW64); WS_WINDOWS_VERSION, a name winecfg -v knows (winxp, win7, ...), the Windows it reports.
#
# Every wait has a limit; ws_cleanup (installed as an EXIT trap by ws_start) stops the program,
# the probe, the prefix's wineserver and the X server, and removes the temporary folder
# (WS_KEEP=1 keeps it, logs included, for a look after a failure).
#
# Key presses go through XTEST to the window holding the X input focus, as a user's would.
# There is no window manager on Xvfb, so Wine is told to leave its windows unmanaged: it draws
# frames and captions itself and moves the X focus to the active window.

# shellcheck disable=SC2034  # used by the scripts that source this file
WS_MAIN_TITLE="Tavrel Customizer 4.0 for SFC-EAW"
# shellcheck disable=SC2034
WS_ABOUT_TITLE="About Tavrel Customizer for EAW"

ws_log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
ws_die() {
    ws_log "FAIL: $*"
    exit 1
}

# Seconds since the session started.
ws_elapsed() { echo $((SECONDS - WS_STARTED)); }

# ws_start EXE PROBE: the display, a new prefix, a persistent wineserver and the probe.
ws_start() {
    WS_EXE=$1
    WS_PROBE=$2
    WS_STARTED=$SECONDS
    [ -f "$WS_EXE" ] || ws_die "no executable at $WS_EXE"
    [ -f "$WS_PROBE" ] || ws_die "no probe at $WS_PROBE"
    for tool in wine wineboot wineserver Xvfb xdotool; do
        command -v "$tool" >/dev/null || ws_die "$tool is not installed"
    done

    WS_ROOT=$(mktemp -d /tmp/tc-wine.XXXXXX)
    WS_XVFB_PID=
    WS_APP_PID=
    WS_PROBE_PID=
    trap ws_cleanup EXIT
    trap 'exit 130' INT TERM

    # The program must find the game through the registry alone.
    unset TAVREL_GAME_DIR
    export WINEPREFIX=$WS_ROOT/prefix
    export WINEDEBUG=-all
    # No Mono or Gecko installers (they would wait for a click), no crash dialog.
    export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
    export LC_ALL=C

    # Xvfb picks a free display itself and reports it on the descriptor.
    exec {ws_fd}>"$WS_ROOT/display"
    Xvfb -displayfd "$ws_fd" -screen 0 1024x768x24 -nolisten tcp -noreset \
        >"$WS_ROOT/xvfb.log" 2>&1 &
    WS_XVFB_PID=$!
    exec {ws_fd}>&-
    local i
    for ((i = 0; i < 100; i++)); do
        [ -s "$WS_ROOT/display" ] && break
        kill -0 "$WS_XVFB_PID" 2>/dev/null || ws_die "Xvfb did not start: $(cat "$WS_ROOT/xvfb.log")"
        sleep 0.1
    done
    [ -s "$WS_ROOT/display" ] || ws_die "Xvfb reported no display within 10 s"
    DISPLAY=:$(head -n1 "$WS_ROOT/display")
    export DISPLAY
    ws_log "Xvfb on $DISPLAY"

    ws_log "creating Wine prefix $WINEPREFIX${WINEARCH:+ ($WINEARCH)}"
    timeout 120 wineboot -i >"$WS_ROOT/wineboot.log" 2>&1 ||
        ws_die "wineboot failed or took over 120 s: $(tail -n5 "$WS_ROOT/wineboot.log")"
    if [ -n "${WS_WINDOWS_VERSION:-}" ]; then
        ws_wine winecfg -v "$WS_WINDOWS_VERSION" || ws_die "winecfg -v $WS_WINDOWS_VERSION failed"
    fi
    ws_install_fonts "$WINEPREFIX"
    # No window manager: unmanaged windows (see the top of this file).
    ws_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    # One wineserver (and its services) for the whole session instead of one per program run:
    # restart the server as a persistent one.
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    timeout 20 wineserver -w >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1 || ws_log "no persistent wineserver; each run starts one"
    ws_probe_start
    ws_log "prefix ready after $(ws_elapsed) s"
}

# The fonts the dialogs are drawn with: MS Sans Serif (the templates' font), Tahoma (captions,
# message boxes) and Marlett (the caption buttons' glyphs).
WS_FONT_DIR=${WS_FONT_DIR:-/usr/share/wine/fonts}
WS_REQUIRED_FONTS=(ms_sans_serif.ttf tahoma.ttf marlett.ttf)

# ws_install_fonts PREFIX (also used by scripts/run_wine.sh): copies Wine's own fonts (Debian's fonts-wine) into the prefix's Fonts
# folder, where Wine finds them; Debian's Wine does not look in their own folder. Without them
# every dialog falls back to other faces and metrics and labels come out clipped, so a missing
# one is an error, not something to skip.
ws_install_fonts() {
    local fonts=$1/drive_c/windows/Fonts font
    [ -d "$fonts" ] || ws_die "no Fonts folder in the prefix $1 (wineboot did not finish?)"
    for font in "${WS_REQUIRED_FONTS[@]}"; do
        [ -s "$WS_FONT_DIR/$font" ] ||
            ws_die "Wine's font $WS_FONT_DIR/$font is missing: install fonts-wine (bash scripts/setup.sh --test)"
    done
    cp "$WS_FONT_DIR"/* "$fonts/" || ws_die "could not copy Wine's fonts into $fonts"
    for font in "${WS_REQUIRED_FONTS[@]}"; do
        cmp -s "$WS_FONT_DIR/$font" "$fonts/$font" || ws_die "$fonts/$font was not copied"
    done
}

# wine with a time limit; output kept in the session log.
ws_wine() { timeout 60 wine "$@" >>"$WS_ROOT/wine.log" 2>&1; }

# ws_windows_path UNIX_PATH: the same folder through Wine's Z: drive.
ws_windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# ws_set_game_path FOLDER: the game's registry value, in the 32-bit view a 32-bit installer uses.
ws_set_game_path() {
    local windowsPath
    windowsPath=$(ws_windows_path "$1")
    ws_wine reg add 'HKLM\Software\Taldren\Starfleet Command II' /v Path /t REG_SZ \
        /d "$windowsPath" /reg:32 /f || ws_die "reg add failed"
}

ws_delete_game_key() {
    ws_wine reg delete 'HKLM\Software\Taldren\Starfleet Command II' /reg:32 /f ||
        ws_die "reg delete failed"
}

# ws_probe_start: one tc_probe serving questions for the whole session (see probe.cpp); it
# talks through two named pipes whose descriptors subshells inherit.
ws_probe_start() {
    mkfifo "$WS_ROOT/probe.in" "$WS_ROOT/probe.out"
    wine "$WS_PROBE" --serve <"$WS_ROOT/probe.in" >"$WS_ROOT/probe.out" 2>>"$WS_ROOT/wine.log" &
    WS_PROBE_PID=$!
    exec {WS_PROBE_IN}>"$WS_ROOT/probe.in"
    exec {WS_PROBE_OUT}<"$WS_ROOT/probe.out"
    [ "$(ws_probe - exists)" = 0 ] || ws_die "tc_probe does not answer"
}

# ws_probe TITLE QUERY...: prints one answer line per query; fails after 20 s without an answer.
ws_probe() {
    local title=$1 line
    shift
    local IFS=$'\t'
    printf '%s\t%s\n' "$title" "$*" >&"$WS_PROBE_IN"
    while IFS= read -r -t 20 line <&"$WS_PROBE_OUT"; do
        line=${line%$'\r'}
        [ "$line" = . ] && return 0
        printf '%s\n' "$line"
    done
    ws_log "tc_probe gave no complete answer for: $title $*"
    return 1
}

# expect_probe TITLE WHAT QUERY EXPECTED [QUERY EXPECTED]...: one question, every answer checked.
expect_probe() {
    local title=$1 what=$2 got want
    shift 2
    local queries=() expected=()
    while (($# >= 2)); do
        queries+=("$1")
        expected+=("$2")
        shift 2
    done
    got=$(ws_probe "$title" "${queries[@]}") || ws_die "$what: no answer from tc_probe"
    want=$(printf '%s\n' "${expected[@]}")
    [ "$got" = "$want" ] || ws_die "$what: expected '${want//$'\n'/ }', got '${got//$'\n'/ }'"
    ws_log "ok: $what (${got//$'\n'/ })"
}

# ws_run_app: starts the program in the background.
ws_run_app() {
    wine "$WS_EXE" >>"$WS_ROOT/app.log" 2>&1 &
    WS_APP_PID=$!
}

# ws_name_pattern TITLE: a regular expression matching exactly that window name.
ws_name_pattern() {
    # shellcheck disable=SC2016  # the $ in the sed expression is sed's
    printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g')"
}

# ws_wait_window TITLE [SECONDS]: waits for a top-level X window with exactly that name and
# prints its id.
ws_wait_window() {
    local title=$1 limit=${2:-20} id i pattern
    pattern=$(ws_name_pattern "$title")
    for ((i = 0; i < limit * 10; i++)); do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1)
        if [ -n "$id" ]; then
            printf '%s\n' "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# ws_wait_no_window TITLE [SECONDS]
ws_wait_no_window() {
    local title=$1 limit=${2:-10} i pattern
    pattern=$(ws_name_pattern "$title")
    for ((i = 0; i < limit * 10; i++)); do
        xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# ws_wait_focus WINDOW_ID [SECONDS]: waits until the X input focus is on that window, so that
# the next key presses go there.
ws_wait_focus() {
    local id=$1 limit=${2:-5} i
    for ((i = 0; i < limit * 10; i++)); do
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && return 0
        # Give it a nudge: Wine activates a window that is clicked.
        if ((i == 20)); then xdotool windowfocus "$id" >/dev/null 2>&1 || true; fi
        sleep 0.1
    done
    return 1
}

# ws_keys KEY...: real key presses through the XTEST extension, to the focused window.
ws_keys() {
    xdotool key --delay 120 "$@"
    sleep 0.3
}

# ws_wait_app_exit [SECONDS]: waits for the program to end; its exit status is then in
# WS_APP_STATUS. Not for $(...): only this shell can collect its own child's status.
ws_wait_app_exit() {
    local limit=${1:-15} i
    WS_APP_STATUS=
    for ((i = 0; i < limit * 10; i++)); do
        if ! kill -0 "$WS_APP_PID" 2>/dev/null; then
            WS_APP_STATUS=0
            wait "$WS_APP_PID" || WS_APP_STATUS=$?
            WS_APP_PID=
            return 0
        fi
        sleep 0.1
    done
    return 1
}

ws_cleanup() {
    local status=$?
    if [ -n "${WS_APP_PID:-}" ]; then kill "$WS_APP_PID" 2>/dev/null || true; fi
    if [ -n "${WS_PROBE_PID:-}" ]; then
        exec {WS_PROBE_IN}>&- {WS_PROBE_OUT}<&- 2>/dev/null || true
        kill "$WS_PROBE_PID" 2>/dev/null || true
    fi
    if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX:-}" ]; then
        timeout 20 wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "${WS_XVFB_PID:-}" ]; then kill "$WS_XVFB_PID" 2>/dev/null || true; fi
    if [ "$status" -ne 0 ] && [ -n "${WS_ROOT:-}" ]; then
        for log in app.log wine.log; do
            if [ -s "$WS_ROOT/$log" ]; then
                ws_log "--- $log (last lines)"
                tail -n 20 "$WS_ROOT/$log" >&2
            fi
        done
    fi
    if [ -n "${WS_ROOT:-}" ] && [ "${WS_KEEP:-0}" != 1 ]; then rm -rf "$WS_ROOT"; fi
    exit "$status"
}

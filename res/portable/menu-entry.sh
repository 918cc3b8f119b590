#!/bin/sh
# Adds this folder's program to your desktop's menu, for you alone: a desktop entry in
# ~/.local/share/applications and the icon beside your other icons. With --remove it takes
# exactly those files away again, and what an interrupted run left. Nothing else is touched.
#
#   ./menu-entry.sh            add (again, after moving the folder)
#   ./menu-entry.sh --remove   remove
set -eu
nl='
'
tab=$(printf '\t')
cr=$(printf '\r')

# This folder, whatever its name ends in ($(...) would drop trailing line breaks).
case $0 in
*/*) dir=${0%/*} ;;
*) dir=. ;;
esac
here=$(cd "$dir" && pwd && echo .)
here=${here%"$nl".}
data=${XDG_DATA_HOME:-$HOME/.local/share}
entry=$data/applications/tavrel-customizer.desktop
icons=$(cd "$here/share" && find icons -name tavrel-customizer.png | sort)

# The path as one argument of a desktop entry's Exec line: inside double quotes " ` $ \ take a
# backslash, % is doubled, and then the value's own escapes double every backslash and spell
# line breaks and tabs.
exec_argument() {
    rest=$1
    quoted=
    while [ -n "$rest" ]; do
        tail=${rest#?}
        c=${rest%"$tail"}
        rest=$tail
        case $c in
        '"' | '`' | '$') quoted="$quoted\\\\$c" ;;
        '\') quoted="$quoted\\\\\\\\" ;;
        %) quoted="$quoted%%" ;;
        "$nl") quoted="$quoted\\n" ;;
        "$tab") quoted="$quoted\\t" ;;
        "$cr") quoted="$quoted\\r" ;;
        *) quoted="$quoted$c" ;;
        esac
    done
}

case ${1:-} in
--remove)
    rm -f "$entry" "$entry.tmp"
    for icon in $icons; do rm -f "$data/$icon"; done
    echo "removed $entry and the icons"
    ;;
"")
    # A desktop entry is UTF-8 and has no way to write the other control characters.
    if { command -v iconv >/dev/null && ! printf '%s' "$here" | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1; } ||
        printf '%s' "$here" | tr -d '\t\r\n' | LC_ALL=C grep -q '[[:cntrl:]]'; then
        echo "menu-entry: move the folder to a path without control characters or bytes that are not UTF-8 first" >&2
        exit 1
    fi
    exec_argument "$here/tavrel-customizer"
    # GLib looks for the program named first before it turns %% into %: env goes first then.
    case $here in
    *%*) command="env \"$quoted\"" ;;
    *) command="\"$quoted\"" ;;
    esac
    mkdir -p "${entry%/*}"
    trap 'rm -f "$entry.tmp"' EXIT
    trap 'exit 1' HUP INT TERM
    while IFS= read -r line || [ -n "$line" ]; do
        case $line in
        Exec=*) printf 'Exec=%s\n' "$command" ;;
        *) printf '%s\n' "$line" ;;
        esac
    done <"$here/share/applications/tavrel-customizer.desktop" >"$entry.tmp"
    mv "$entry.tmp" "$entry"
    for icon in $icons; do
        mkdir -p "$(dirname "$data/$icon")"
        cp "$here/share/$icon" "$data/$icon"
    done
    echo "added $entry; ./menu-entry.sh --remove takes it away"
    ;;
*)
    echo "usage: ./menu-entry.sh [--remove]" >&2
    exit 2
    ;;
esac

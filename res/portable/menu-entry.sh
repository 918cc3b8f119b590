#!/bin/sh
# Adds this folder's program to your desktop's menu, for you alone: a desktop entry in
# ~/.local/share/applications and the icon beside your other icons. With --remove it takes
# exactly those files away again. Nothing else is touched.
#
#   ./menu-entry.sh            add (again, after moving the folder)
#   ./menu-entry.sh --remove   remove
set -eu
here=$(cd "$(dirname "$0")" && pwd)
data=${XDG_DATA_HOME:-$HOME/.local/share}
entry=$data/applications/tavrel-customizer.desktop
icons=$(cd "$here/share" && find icons -name tavrel-customizer.png | sort)

case ${1:-} in
--remove)
    rm -f "$entry"
    for icon in $icons; do rm -f "$data/$icon"; done
    echo "removed $entry and the icons"
    ;;
"")
    # The desktop entry's Exec quotes its path; these characters would need escapes of their own.
    case $here in
    *[\"\`\$\\%]* | *"
"*) echo "menu-entry: move the folder to a path without \" \` \$ \\ % or a line break first" >&2 && exit 1 ;;
    esac
    mkdir -p "$(dirname "$entry")"
    sed "s|^Exec=.*|Exec=\"$here/tavrel-customizer\"|" \
        "$here/share/applications/tavrel-customizer.desktop" >"$entry.tmp"
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

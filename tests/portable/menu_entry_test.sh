#!/bin/bash
# The portable folder's menu-entry.sh from folders whose names a desktop entry must escape: each
# entry passes desktop-file-validate, and GLib's launcher (gio launch) reads its Exec back and
# starts the program in that folder. A name the format cannot hold is refused; no run leaves
# its temporary file, and --remove takes an older run's away too.
#   menu_entry_test.sh MENU_ENTRY_SH DESKTOP_ENTRY
set -euo pipefail
script=$(realpath "$1") desktop=$(realpath "$2")
root=$(mktemp -d /tmp/tc-menu-entry.XXXXXX)
trap 'rm -rf "$root"' EXIT
export XDG_DATA_HOME=$root/data
apps=$XDG_DATA_HOME/applications entry=$XDG_DATA_HOME/applications/tavrel-customizer.desktop
fail() { echo "FAIL: $*" >&2; exit 1; }

# A portable folder whose program writes down the path it was started as.
make_folder() {
    mkdir -p "$1/share/applications" "$1/share/icons/hicolor/48x48/apps"
    cp "$script" "$1/menu-entry.sh" && cp "$desktop" "$1/share/applications/"
    : >"$1/share/icons/hicolor/48x48/apps/tavrel-customizer.png"
    printf '#!/bin/sh\nprintf %%s "$0" >%s/started\n' "$root" >"$1/tavrel-customizer"
    chmod +x "$1/tavrel-customizer"
}

for name in 'a & b' 'a|b' 'semi;colon' "it's \"q\" \$x \`y\` \\z 100%" $'tab\there' $'line\nbreak'; do
    folder=$root/games/$name
    make_folder "$folder"
    sh "$folder/menu-entry.sh" >/dev/null
    desktop-file-validate "$entry" || fail "'$name': $(grep '^Exec=' "$entry")"
    rm -f "$root/started"
    gio launch "$entry" || fail "gio launch: '$name'"
    for ((i = 0; i < 50; i++)); do [ -e "$root/started" ] && break; sleep 0.1; done
    [ "$(cat "$root/started" 2>/dev/null)" = "$folder/tavrel-customizer" ] ||
        fail "'$name': $(grep '^Exec=' "$entry") started '$(cat "$root/started" 2>/dev/null)'"
done

# Refused: a control character, which a desktop entry cannot spell; a template that is missing.
rm -f "$entry"
make_folder "$root/games/"$'bell\a'
! sh "$root/games/"$'bell\a'/menu-entry.sh 2>"$root/error" || fail "a control character was taken"
grep -q "move the folder" "$root/error" || fail "refused without saying why"
rm "$root/games/a & b/share/applications/tavrel-customizer.desktop"
! sh "$root/games/a & b/menu-entry.sh" 2>/dev/null || fail "ran without the entry's template"
[ -z "$(ls -A "$apps")" ] || fail "left: $(ls -A "$apps")"

# --remove takes away the entry, the icons and what an interrupted older run left.
sh "$root/games/a|b/menu-entry.sh" >/dev/null
: >"$entry.tmp"
sh "$root/games/a|b/menu-entry.sh" --remove >/dev/null
[ -z "$(ls -A "$apps")" ] || fail "--remove left: $(ls -A "$apps")"
[ ! -e "$XDG_DATA_HOME/icons/hicolor/48x48/apps/tavrel-customizer.png" ] || fail "--remove left the icon"
echo PASS

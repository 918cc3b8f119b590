#!/usr/bin/env bash
# Builds the Debian package from the Linux build and checks it as a distribution would: lintian
# (errors and warnings fail), the AppStream metadata, and the package unpacked into a scratch
# root: its desktop entry valid, the command it names present, its manual page there, and the
# installed program opening the dialog on a copy of the demo game.
#
#   scripts/check_package.sh [BUILD_DIR]      (default build/linux, configured and built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/linux}

fail() {
    echo "check_package: $*" >&2
    exit 1
}
for tool in cpack lintian appstreamcli desktop-file-validate dpkg-deb xvfb-run; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (bash scripts/setup.sh --test)"
done

cmake --build "$build" --target tavrel-customizer tc_compressed_docs tc_window_probe >/dev/null
rm -f "$build"/tavrel-customizer_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/tavrel-customizer_*.deb)
[ -f "${debs[0]}" ] || fail "cpack wrote no package"
deb=${debs[0]}
echo "package: $deb"

# Lintian warns that it runs as root in containers; that is not about the package.
lintian --fail-on error,warning "$deb" || fail "lintian rejects $deb"
echo "lintian: no errors or warnings"

root=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-package.XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/install"

metainfo=("$root"/install/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no AppStream metainfo in the package"
appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli rejects ${metainfo[*]}"

desktop=$root/install/usr/share/applications/tavrel-customizer.desktop
[ -f "$desktop" ] || fail "no desktop entry in the package"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
found=$(PATH="$root/install/usr/bin" command -v "$command") ||
    fail "the desktop entry's command '$command' is not in the package's usr/bin"
[ -s "$root/install/usr/share/man/man1/$command.1.gz" ] || fail "no manual page for $command"
echo "installed: $found, desktop entry and manual page valid"

# The installed program itself, watched from outside on a virtual display: its dialog comes up
# painted and closes on the close box (Cancel), leaving the files alone.
cp -r demo/game "$root/game"
output=$(TAVREL_GAME_DIR="$root/game" timeout 60 env -u QT_QPA_PLATFORM xvfb-run -a \
    "$build/tests/qt/tc_window_probe" -- "$found" 2>&1) || fail "the installed program failed: $output"
[[ $output == *shown_ms=* ]] || fail "the installed program did not open the dialog: $output"
for file in sfc.ini Assets/Scripts/scripts.ini; do
    cmp -s "demo/game/$file" "$root/game/$file" || fail "the installed program changed $file"
done
echo "installed program opened the dialog: $output"

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
for tool in cpack lintian appstreamcli desktop-file-validate dpkg-deb; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (bash scripts/setup.sh --test)"
done

cmake --build "$build" --target tavrel-customizer tc_compressed_docs >/dev/null
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

# The installed program itself: it reports its start-up and closes, leaving the files alone.
cp -r demo/game "$root/game"
output=$(TAVREL_GAME_DIR="$root/game" TAVREL_STARTUP_PROBE=1 QT_QPA_PLATFORM=offscreen \
    timeout 60 "$found" 2>&1) || fail "the installed program failed: $output"
[[ $output == *startup_ms=* ]] || fail "the installed program did not open the dialog: $output"
echo "installed program opened the dialog: $output"

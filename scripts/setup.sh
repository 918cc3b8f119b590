#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the project needs (skips what is there).
#
#   scripts/setup.sh          what building and running the Linux program needs (scripts/run.sh)
#   scripts/setup.sh --test   also what every test and check needs (scripts/test.sh)
#
# The names are the ones Debian 12 and 13 and Ubuntu 24.04 all have (on Ubuntu from universe):
# "clang", "clang-tidy" and "libclang-rt-dev" follow the release's default LLVM, and "wine"
# brings the release's 64-bit loader; the test set adds the i386 architecture for "wine32",
# which runs the 32-bit Windows program. clang-format is not taken from the release, whose
# versions format differently: the test set installs one pinned build from npm into
# build/tools (scripts/check_format.sh says which).
set -euo pipefail
cd "$(dirname "$0")/.."

test_set=0
case "${1:-}" in
"") ;;
--test) test_set=1 ;;
*)
    echo "usage: scripts/setup.sh [--test]" >&2
    exit 2
    ;;
esac

packages=(
    # Build
    cmake ninja-build g++
    # Linux front end; launchers' JSON and YAML files for the Wine prefix search
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core fonts-liberation
    nlohmann-json3-dev libyaml-cpp-dev
)
if [ "$test_set" -eq 0 ]; then
    # A virtual display for the dialog, only where there is no display
    [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || packages+=(xvfb xauth)
else
    packages+=(
        # Tests, benchmarks; the sanitizer and fuzzer build with the default clang
        googletest libgtest-dev libbenchmark-dev clang libclang-rt-dev
        # clang-tidy over the sources
        clang-tidy
        # The include-loop check; the window probe that watches the Linux program start (Xlib,
        # DAMAGE)
        python3 libx11-dev libxdamage-dev
        # Checks of the Debian package; the portable folder's run paths and its Wayland plugins;
        # GLib's launcher, which reads back the menu entry the portable folder writes
        lintian appstream desktop-file-utils patchelf qt6-wayland libglib2.0-bin
        # The shells F1's command line is tried in
        zsh fish
        # Windows front end: the 32-bit cross compiler of the win32 thread model, Wine with its
        # own fonts (its 32-bit half below), a virtual display for its tests and what they drive
        # and capture it with
        g++-mingw-w64-i686-win32 mingw-w64-tools wine fonts-wine xvfb xauth xdotool x11-utils
        imagemagick
        # A comma-decimal locale for the locale-independence tests
        locales
    )
    # npm fetches the pinned clang-format; any npm will do (a Node.js of another origin
    # brings its own and conflicts with Debian's package)
    command -v npm >/dev/null || packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

[ "$test_set" -eq 1 ] || exit 0

have_de() { locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; }
if ! have_de; then
    # Debian's way, which keeps it when locale-gen runs again; localedef where that is not how.
    if [ -f /etc/locale.gen ]; then
        as_root sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
        as_root locale-gen >/dev/null
    fi
    have_de || as_root localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
fi

# The pinned clang-format, the one every release installs the same way.
bash scripts/check_format.sh --install

# Wine's 32-bit half, which runs the 32-bit program in 64-bit prefixes (WoW64) and 32-bit ones.
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
    added=0
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
        added=1
    fi
    echo "Installing: wine32:i386"
    if ! { as_root apt-get update -qq &&
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            wine32:i386 >/dev/null; }; then
        # An archive whose i386 half apt cannot use would fail every later update: take the
        # architecture back out.
        if [ "$added" -eq 1 ] && ! dpkg-query -W -f='${Architecture}\n' | grep -qx i386; then
            as_root dpkg --remove-architecture i386
            as_root apt-get update -qq || true
        fi
        # Then the Windows tests run on a 64-bit build of the program instead, and the runs that
        # need a 32-bit Wine are left out (scripts/test.sh says so).
        echo "setup: wine32 (i386) could not be installed; the Windows tests will run on a" \
            "64-bit test build" >&2
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            g++-mingw-w64-x86-64-win32 >/dev/null
    fi
fi

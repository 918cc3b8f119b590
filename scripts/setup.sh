#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run (skips what is there).
set -euo pipefail

packages=(
    # Build and tests; clang-format and clang-tidy check the sources
    cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
    clang-format-14 clang-tidy-14
    # Linux front end; launchers' JSON and YAML files for the Wine prefix search
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core fonts-liberation
    nlohmann-json3-dev libyaml-cpp-dev
    # The window probe that watches the Linux program start (Xlib, DAMAGE)
    libx11-dev libxdamage-dev
    # Checks of the Debian package
    lintian appstream desktop-file-utils
    # Windows front end: cross compiler, Wine with its own fonts, a virtual display for its tests
    g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 fonts-wine xvfb xauth xdotool x11-utils
    imagemagick
    # A comma-decimal locale for the locale-independence tests
    locales
)

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

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    as_root sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    as_root locale-gen >/dev/null
fi

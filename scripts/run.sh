#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and opens the dialog on a fresh copy of the
# bundled demo game folder (the repository's copy is never touched).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target tavrel-customizer

game=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-demo.XXXXXX")
cp -r demo/game/. "$game/"
echo "Demo game folder: $game"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting the dialog on a virtual one (xvfb-run)."
    exec env TAVREL_GAME_DIR="$game" xvfb-run -a build/linux/src/platform/qt/tavrel-customizer
fi
exec env TAVREL_GAME_DIR="$game" build/linux/src/platform/qt/tavrel-customizer

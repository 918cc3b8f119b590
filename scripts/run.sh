#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and opens the dialog on a fresh copy of the
# bundled demo game folder (the repository's copy is never touched). Only the program is built
# (the run preset, build/run), and a new compiler's warnings do not stop it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset run >/dev/null
cmake --build --preset run

game=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-demo.XXXXXX")
cp -r demo/game/. "$game/"
echo "Demo game folder: $game"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting the dialog on a virtual one (xvfb-run)."
    exec env TAVREL_GAME_DIR="$game" xvfb-run -a build/run/src/platform/qt/tavrel-customizer
fi
exec env TAVREL_GAME_DIR="$game" build/run/src/platform/qt/tavrel-customizer

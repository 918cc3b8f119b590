#!/usr/bin/env bash
# Start-up time of the Linux program: from the moment the process is started to the main dialog
# filled from the game's files and painted, as seen from outside on a virtual X server by the
# window probe (tests/qt/window_probe.cpp, which then closes the dialog: nothing is written).
# Runs it several times on a copy of the demo game folder and prints the minimum, median and
# maximum.
#
#   bench/qt_startup_bench.sh [path/to/tavrel-customizer] [runs] [path/to/tc_window_probe]
set -euo pipefail

if [ "${1:-}" = "--inner" ]; then
    bin=$2 runs=$3 game=$4 probe=$5
    shown=()
    for _ in $(seq "$runs"); do
        line=$(TAVREL_GAME_DIR="$game" "$probe" -- "$bin" 2>/dev/null | tail -n 1)
        value=${line#shown_ms=}
        shown+=("${value%% *}")
    done
    printf '%s\n' "${shown[@]}" | sort -n | awk '{ v[NR] = $1 }
        END { printf "xvfb       shown: min %6.1f  median %6.1f  max %6.1f ms\n", v[1], v[int((NR + 1) / 2)], v[NR] }'
    exit 0
fi

cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/linux/src/platform/qt/tavrel-customizer}")
runs=${2:-15}
probe=$(realpath "${3:-build/linux/tests/qt/tc_window_probe}")
[ -x "$bin" ] || { echo "no program at $bin (build the tavrel-customizer target)" >&2; exit 1; }
[ -x "$probe" ] || { echo "no probe at $probe (build the tc_window_probe target)" >&2; exit 1; }
game=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-bench.XXXXXX")
trap 'rm -rf "$game"' EXIT
cp -r demo/game/. "$game/"

echo "$runs runs of $bin"
# One X server for all runs: its own start is not the program's. The first run fills the page
# cache, as on a desktop where the libraries are loaded.
env -u QT_QPA_PLATFORM xvfb-run -a bash -c \
    'TAVREL_GAME_DIR="$3" "$4" -- "$1" >/dev/null 2>&1; exec "$0" --inner "$@"' \
    "$0" "$bin" "$runs" "$game" "$probe"

#!/usr/bin/env bash
# Start-up time of the Linux program: from the moment the process is started to the main dialog
# filled from the game's files and painted. The program reports it itself when run with
# TAVREL_STARTUP_PROBE=1 (then cancels the dialog, so nothing is written); this script runs it
# several times on a copy of the demo game folder, on the offscreen platform and on a virtual X
# server, and prints the minimum, median and maximum.
#
#   bench/qt_startup_bench.sh [path/to/tavrel-customizer] [runs]
#
# Two figures per run: "wall" from just before the shell starts the program to the moment it
# prints (both read from the real-time clock), and "kernel" from the process's start time in
# /proc/self/stat (10 ms resolution) to the same moment.
set -euo pipefail

if [ "${1:-}" = "--inner" ]; then
    bin=$2 runs=$3 game=$4 label=$5
    walls=() kernels=()
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        line=$(TAVREL_GAME_DIR="$game" TAVREL_STARTUP_PROBE=1 "$bin" 2>/dev/null | tail -n 1)
        shown=${line##*realtime_ns=}
        kernel=${line#startup_ms=}
        kernel=${kernel%% *}
        walls+=($(( (shown - start) / 1000 )))
        kernels+=("$kernel")
    done
    summary() {  # values in the unit given, printed in ms
        sort -n | awk -v unit="$1" '{ v[NR] = $1 / unit }
            END { printf "min %6.1f  median %6.1f  max %6.1f ms", v[1], v[int((NR + 1) / 2)], v[NR] }'
    }
    printf '%-10s wall:   %s\n' "$label" "$(printf '%s\n' "${walls[@]}" | summary 1000)"
    printf '%-10s kernel: %s\n' "$label" "$(printf '%s\n' "${kernels[@]}" | summary 1)"
    exit 0
fi

cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/linux/src/platform/qt/tavrel-customizer}")
runs=${2:-15}
[ -x "$bin" ] || { echo "no program at $bin (build the tavrel-customizer target)" >&2; exit 1; }
game=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-bench.XXXXXX")
trap 'rm -rf "$game"' EXIT
cp -r demo/game/. "$game/"

echo "$runs runs of $bin"
# One warm-up run fills the page cache, as on a desktop where the libraries are loaded.
TAVREL_GAME_DIR="$game" TAVREL_STARTUP_PROBE=1 QT_QPA_PLATFORM=offscreen "$bin" >/dev/null 2>&1
QT_QPA_PLATFORM=offscreen "$0" --inner "$bin" "$runs" "$game" offscreen
if command -v xvfb-run >/dev/null; then
    # One X server for all runs: its own start is not the program's.
    env -u QT_QPA_PLATFORM xvfb-run -a "$0" --inner "$bin" "$runs" "$game" xvfb
fi

#!/usr/bin/env bash
# The built program run unattended on a copy of the demo game folder, watched from outside: on a
# virtual X display its dialog must come up painted and close on the close box (Cancel); the
# screenshot tool must draw the main dialog and the About box; neither may change the files.
#   program_run_test.sh PROGRAM PROBE SCREENSHOTS DEMO WORK
set -euo pipefail
program=$1 probe=$2 screenshots=$3 demo=$4 work=$5
if [ -z "${TC_DISPLAY_READY:-}" ]; then
    TC_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi
rm -rf "$work"
mkdir -p "$work"
cp -r "$demo" "$work/game"
export TAVREL_GAME_DIR=$work/game

# On X the program loads Qt's platform plugin, whose D-Bus library leaks a buffer of its own;
# the offscreen run below keeps the leak check for our code.
output=$(env -u QT_QPA_PLATFORM ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$probe" --timeout 60 -- "$program")
[[ $output =~ ^shown_ms=[0-9]+\.[0-9]\ realtime_ns=[0-9]+\ title=Tavrel\ Customizer ]] ||
    { echo "probe run: '$output'" >&2; exit 1; }
echo "$output"

QT_QPA_PLATFORM=offscreen "$screenshots" "$work/main.png" "$work/about.png"
for shot in main about; do
    size=$(stat -c %s "$work/$shot.png")
    magic=$(head -c 4 "$work/$shot.png" | od -An -tx1 | tr -d ' \n')
    [ "$magic" = 89504e47 ] && [ "$size" -ge 1000 ] ||
        { echo "screenshot $shot.png: $size bytes, magic $magic" >&2; exit 1; }
done

for file in sfc.ini Assets/Scripts/scripts.ini; do
    cmp -s "$demo/$file" "$work/game/$file" || { echo "$file was changed by an unattended run" >&2; exit 1; }
done
echo "both runs ended and left the files alone"

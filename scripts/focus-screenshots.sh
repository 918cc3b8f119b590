#!/bin/sh
# Tabs through the Linux program's main dialog under Xvfb and captures the window at each
# stop, so that every control's focus mark can be looked at.
#   scripts/focus-screenshots.sh BUILT_PROGRAM OUTPUT_DIR [TABS]
# The program runs on a copy of demo/game; nothing is saved (the dialog is closed unanswered).
set -eu
if [ -z "${DISPLAY_READY:-}" ]; then
    DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 640x560x24" "$0" "$@"
fi
program=$1
out=$2
tabs=${3:-30}
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"
rm -rf "$out/game"
cp -r "$here/demo/game" "$out/game"
TAVREL_GAME_DIR="$out/game" "$program" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window=$(xdotool search --sync --name "Tavrel Customizer" | head -1)
xdotool windowfocus --sync "$window"
sleep 1
i=0
while :; do
    import -window "$window" "$out/focus-$(printf %02d $i).png"
    [ $i -lt "$tabs" ] || break
    xdotool key --window "$window" Tab
    sleep 0.3
    i=$((i + 1))
done

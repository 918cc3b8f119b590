#!/bin/bash
# Runs a Windows test program under Wine on a private Xvfb display (user32 needs one to create
# windows, even hidden ones): run_with_display.sh program.exe [arguments...]
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree=;mshtml=;winedbg.exe=d"}
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" timeout 150 wine "$@"

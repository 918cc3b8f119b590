#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the Linux build, the sanitizer
# build (with a short run of each fuzzer), and the Windows cross build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

status=0
run() { echo; echo "==> $*"; "$@" || status=1; }

run_preset() {
    local preset=$1
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" &&
        ctest --preset "$preset" --timeout 600
}

run run_preset linux
run run_preset asan

# Each fuzzer runs briefly from its seed corpus; a crash fails the run.
for fuzzer in build/asan/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    work=$(mktemp -d)
    cp -r "fuzz/corpus/$name/." "$work/" 2>/dev/null || true
    run "$fuzzer" -max_total_time="${FUZZ_SECONDS:-20}" -print_final_stats=0 "$work"
    rm -rf "$work"
done

run run_preset windows

echo
if [ "$status" -eq 0 ]; then echo "All test runs passed."; else echo "Some test runs FAILED."; fi
exit "$status"

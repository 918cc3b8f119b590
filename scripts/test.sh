#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the Linux build, the sanitizer
# build (with a short run of each fuzzer), and the Windows cross build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

status=0
passed=0
failed=0
run() { echo; echo "==> $*"; "$@" || status=1; }

# Builds and tests one preset, adding its CTest counts to the totals.
run_preset() {
    local preset=$1 log
    log=$(mktemp)
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" || return 1
    ctest --preset "$preset" --timeout 600 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local line
    line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    rm -f "$log"
    if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        failed=$((failed + BASH_REMATCH[1]))
        passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
    fi
    return "$rc"
}

run run_preset linux
run bash scripts/check_package.sh build/linux  # the .deb: lintian, appstreamcli, scratch install
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
echo "$passed passed, $failed failed"
exit "$status"

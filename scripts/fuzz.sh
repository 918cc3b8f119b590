#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: optimised, ASan + UBSan) and runs each for
# SECONDS (60 by default), one after another, from a copy of its seed corpus fuzz/corpus/<target>/
# with its dictionary fuzz/dict/<target>.dict. Each run ends with one line:
#
#   <target>: <n> exec/s, <n> execs, <n> edges, <n> crashes
#
# An input that crashes, breaks a check or hangs is kept in build/fuzz/crashes/<target>/ and
# named on the next line; the script then exits with status 1.
#
#   scripts/fuzz.sh [seconds] [target...]   only the targets named, e.g. ini_profile_fuzz
#   FUZZ_RUNS=<n> scripts/fuzz.sh ...       also stop each target after n executions
#
# SIGINT to a target's process ends that target's run early, with its line.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
[[ $seconds =~ ^[0-9]+$ ]] || {
    echo "usage: scripts/fuzz.sh [seconds] [target...]" >&2
    exit 2
}
shift $(($# > 0 ? 1 : 0))

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

# A smaller quarantine than ASan's 256 MiB (a freed block is still caught when touched during the
# same input, and the fuzzer no longer spends a third of its time faulting in fresh pages) and
# shorter allocation stacks; running the target on a kept input shows the full ones.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:malloc_context_size=10}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
for target in "${targets[@]}"; do
    binary=build/fuzz/fuzz/$target
    [ -x "$binary" ] || {
        echo "$target: not built" >&2
        status=1
        continue
    }
    work=$(mktemp -d)
    log=$(mktemp)
    crashes=build/fuzz/crashes/$target
    mkdir -p "$crashes"
    cp -r "fuzz/corpus/$target/." "$work/" 2>/dev/null || true
    options=(-max_len=65536 -timeout=10 -print_final_stats=1 -max_total_time="$seconds"
        -artifact_prefix="$crashes/")
    [ -f "fuzz/dict/$target.dict" ] && options+=(-dict="fuzz/dict/$target.dict")
    [ -n "${FUZZ_RUNS:-}" ] && options+=(-runs="$FUZZ_RUNS")
    before=$(find "$crashes" -type f | wc -l)
    rc=0
    "$binary" "${options[@]}" "$work" >"$log" 2>&1 || rc=$?
    found=$(($(find "$crashes" -type f | wc -l) - before))

    # The final stats when libFuzzer printed them, else its last status line.
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    status_line=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
    [ -n "$execs" ] || execs=$(sed -E -n 's/^#([0-9]+).*/\1/p' <<<"$status_line")
    [ -n "$rate" ] || rate=$(sed -E -n 's/.*exec\/s: ([0-9]+).*/\1/p' <<<"$status_line")
    edges=$(sed -E -n 's/.* cov: ([0-9]+).*/\1/p' <<<"$status_line")
    if [ "$rc" -ne 0 ] && [ "$found" -eq 0 ] && grep -q 'run interrupted' "$log"; then
        rc=0  # stopped by SIGINT: the numbers so far, and on to the next target
    fi
    if [ "$rc" -ne 0 ] && [ "$found" -eq 0 ]; then
        # Stopped without leaving an input (a bad option, out of memory at startup): show why.
        tail -n 20 "$log" >&2
        found=1
    fi
    echo "$target: ${rate:-0} exec/s, ${execs:-0} execs, ${edges:-0} edges, $found crashes"
    if [ "$found" -ne 0 ]; then
        status=1
        grep -E -m 1 'ERROR: |SUMMARY: |deadly signal|timeout after' "$log" >&2 || true
        find "$crashes" -type f -newer "$log" -exec echo "  kept: {}" \;
        cp "$log" "$crashes/last.log"
    fi
    rm -rf "$work" "$log"
done
exit "$status"

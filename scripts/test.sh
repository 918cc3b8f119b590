#!/usr/bin/env bash
# Installs what is missing, then checks the formatting, builds and runs every test: the Linux
# build (followed by clang-tidy), the sanitizer build, a short run of each fuzzer, and the
# Windows cross build under Wine. The log ends with one line per step and the total. The
# presets make every warning an error.
set -euo pipefail
cd "$(dirname "$0")/.."

export QT_QPA_PLATFORM=offscreen

status=0
passed=0
failed=0
summary=()

bash scripts/setup.sh --test

# Runs a check and records "<name>: ok" or "<name>: FAILED".
run_check() {
    local name=$1
    shift
    echo; echo "==> $name: $*"
    if "$@"; then
        summary+=("$name: ok")
    else
        summary+=("$name: FAILED")
        status=1
    fi
}

# Builds and tests one preset, adding its CTest counts to the totals. CTest also writes
# build/<preset>/junit.xml (see CMakePresets.json).
run_preset() {
    local preset=$1 log
    shift
    echo; echo "==> $preset $*"
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
        summary+=("$preset: build FAILED")
        status=1
        return
    fi
    log=$(mktemp)
    local rc=0
    ctest --preset "$preset" --timeout 600 "$@" | tee "$log" || rc=$?
    local line
    line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
    rm -f "$log"
    if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        local bad=${BASH_REMATCH[1]} all=${BASH_REMATCH[2]}
        failed=$((failed + bad))
        passed=$((passed + all - bad))
        summary+=("$preset: $((all - bad)) passed, $bad failed")
    else
        summary+=("$preset: no test results")
        rc=1
    fi
    [ "$rc" -eq 0 ] || status=1
}

run_check format bash scripts/check_format.sh

run_preset linux
if [ -f build/linux/compile_commands.json ]; then
    run_check tidy bash scripts/check_tidy.sh
else
    summary+=("tidy: not run (no Linux build)")
    status=1
fi

run_check package bash scripts/check_package.sh build/linux  # the .deb: lintian, appstreamcli, scratch install

run_preset asan

# Each fuzzer runs briefly from its seed corpus with its dictionary, in the optimised sanitizer
# build of the fuzz preset; a crash fails the run.
echo; echo "==> fuzzers"
fuzz_log=$(mktemp)
fuzz_rc=0
bash scripts/fuzz.sh "${FUZZ_SECONDS:-5}" | tee "$fuzz_log" || fuzz_rc=$?
fuzz_ok=$(grep -c ' 0 crashes$' "$fuzz_log" || true)
fuzz_bad=$(grep -c -E ' [1-9][0-9]* crashes$' "$fuzz_log" || true)
rm -f "$fuzz_log"
if [ "$fuzz_rc" -ne 0 ] || [ "$fuzz_ok" -eq 0 ]; then status=1; fi
summary+=("fuzzers: $fuzz_ok passed, $fuzz_bad failed")

# The released program is 32-bit. Where Wine has no 32-bit half (an archive whose i386 packages
# apt cannot use; scripts/setup.sh says so), only its checks that need no Wine run, and the Wine
# tests run on the 64-bit test build, without the 32-bit prefix.
if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
    run_preset windows
else
    run_preset windows -R '^win32_xp_imports$'
    run_preset windows-x64
    summary+=("windows: no wine32 here, so the 32-bit program's runs under Wine were left out")
fi

echo
if [ "$status" -eq 0 ]; then echo "All test runs passed."; else echo "Some test runs FAILED."; fi
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
exit "$status"

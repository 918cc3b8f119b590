#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the portable code and the Linux front end,
# with the Linux build's compile_commands.json; any finding fails. src/platform/win32 needs the
# MinGW headers and is left out. The release's own clang-tidy (its default LLVM) is used.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/linux}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "no $build/compile_commands.json: configure and build the linux preset first" >&2
    exit 1
fi
mapfile -t files < <(git ls-files -- 'src/*.cpp' ':!:src/platform/win32/*' | sed "s|^|$PWD/|")
command -v clang-tidy >/dev/null || {
    echo "clang-tidy is not installed (bash scripts/setup.sh --test)" >&2
    exit 1
}
version=$(clang-tidy --version | sed -n 's/.*LLVM version \([0-9][0-9]*\).*/\1/p')
echo "clang-tidy $(clang-tidy --version | sed -n 's/.*LLVM version \([^ ]*\).*/\1/p')"
# The unversioned name where the release's clang-tidy package links it, else its own.
runner=$(command -v run-clang-tidy || command -v "run-clang-tidy-$version") || {
    echo "no run-clang-tidy for clang-tidy $version (bash scripts/setup.sh --test)" >&2
    exit 1
}
"$runner" -quiet -clang-tidy-binary "$(command -v clang-tidy)" -j "${JOBS:-2}" -p "$build" "${files[@]}"

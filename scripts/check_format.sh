#!/usr/bin/env bash
# Fails when a tracked C/C++ file differs from what the pinned clang-format makes of it
# (.clang-format). res/resource.h belongs to the resource compiler and is left as it writes it.
#
#   scripts/check_format.sh            check
#   scripts/check_format.sh --fix      reformat the files in place
#   scripts/check_format.sh --install  fetch the pinned clang-format (scripts/setup.sh --test does)
#
# One clang-format for every release: each release ships its own LLVM, and they break lines
# differently. The npm package below carries a static clang-format 15.0.0 binary, which
# formats this tree as clang-format 14 did. CLANG_FORMAT may name another binary of that version.
set -euo pipefail
cd "$(dirname "$0")/.."

npm_package=clang-format@1.8.0
version=15.0.0
tools=$PWD/build/tools/clang-format-$version
format=${CLANG_FORMAT:-$tools/node_modules/clang-format/bin/linux_x64/clang-format}
format=$(command -v "$format" || echo "$format")

install() {
    [ ! -x "$format" ] || return 0
    command -v npm >/dev/null || fail "npm is not installed (bash scripts/setup.sh --test)"
    echo "Installing $npm_package (clang-format $version) into $tools"
    mkdir -p "$tools"
    npm install --prefix "$tools" --no-save --no-audit --no-fund --ignore-scripts \
        --loglevel=error "$npm_package" >/dev/null
}

# Any other version would pass or fail the tree by its own rules: refuse it.
check_version() {
    [ -x "$format" ] || fail "no clang-format at $format (bash scripts/setup.sh --test)"
    local found
    found=$("$format" --version) || found="none"
    [[ $found == *"clang-format version $version "* ]] ||
        fail "$format is not clang-format $version: $found"
}

fail() {
    echo "check_format: $*" >&2
    exit 1
}

case "${1:-}" in
"") mode=(--dry-run -Werror) ;;
--fix) mode=(-i) ;;
--install)
    install
    check_version
    exit 0
    ;;
*)
    echo "usage: scripts/check_format.sh [--fix | --install]" >&2
    exit 2
    ;;
esac

check_version
git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.cxx' '*.h' '*.hh' '*.hpp' '*.inl' ':!:res/resource.h' |
    xargs -0 "$format" "${mode[@]}"

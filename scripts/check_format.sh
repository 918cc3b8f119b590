#!/usr/bin/env bash
# Fails when a tracked C/C++ file differs from what clang-format 14 makes of it (.clang-format).
# res/resource.h belongs to the resource compiler and is left as it writes it.
set -euo pipefail
cd "$(dirname "$0")/.."

format=${CLANG_FORMAT:-clang-format-14}
git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.cxx' '*.h' '*.hh' '*.hpp' '*.inl' ':!:res/resource.h' |
    xargs -0 "$format" --dry-run -Werror

#!/usr/bin/env bash
# Fails when a C++ source differs from what clang-format makes of it with the project's
# .clang-format. Installs Debian's clang-format when it is missing.
#   tests/check_format.sh         check
#   tests/check_format.sh --fix   rewrite the files in place
set -euo pipefail
cd "$(dirname "$0")/.."
. tests/lib.sh
need_command clang-format clang-format
install_needed Formatting
mapfile -t files < <(find src tests tools \( -name '*.cpp' -o -name '*.h' \) -not -path 'tests/fuzz/corpus/*' | sort)
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}"; then
    echo "Sources are not formatted: run tests/check_format.sh --fix" >&2
    exit 1
fi
echo "Formatting: ${#files[@]} files checked"

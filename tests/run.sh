#!/usr/bin/env bash
# Builds Korvane twice, as released (Release) and under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test in both builds. Tests labelled "deep"
# (the whole perft suite at full depth) and "long" (long match runs) are left to
# `ctest --test-dir build -L deep` and `-L long`. Then korvane.exe is cross-built for Windows
# and tested under wine (tests/windows/run_windows_tests.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

# Every source as the formatter lays it out.
tests/check_format.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKORVANE_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure -LE 'deep|long'

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON -DKORVANE_WERROR=ON
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize -j "$jobs" --output-on-failure -LE 'deep|long'

# korvane.exe, cross-built for Windows and tested under wine.
tests/windows/run_windows_tests.sh

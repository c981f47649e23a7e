#!/usr/bin/env bash
# Builds Korvane twice, as released (Release, with the release's flags) and under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test in both builds. Tests labelled "deep"
# (the whole perft suite at full depth) and "long" (long match runs) are left to
# `ctest --test-dir build -L deep` and `-L long`. A clang++ build runs the unit tests.
# Then the tree is cross-built for ARM64 Linux and tested under qemu, korvane.exe is cross-built
# for Windows and tested under wine, and the WebAssembly build is tested under node and in
# headless Chromium; last, one release archive per system is packed from those builds and
# checked, and each x86-64 level is run on its oldest processor under qemu.
# KORVANE_ARCH (x86-64, x86-64-v2, x86-64-v3, native, armv8-a) sets the processor level; unset,
# CMake chooses (x86-64-v2 on x86-64, armv8-a on ARM64).
set -euo pipefail
cd "$(dirname "$0")/.."
. tests/lib.sh
jobs=$(job_count)
# The processor level: KORVANE_ARCH when set, else what CMake chooses for this machine.
arch=()
[ -n "${KORVANE_ARCH:-}" ] && arch=(-DKORVANE_ARCH="$KORVANE_ARCH")

# Every source as the formatter lays it out.
tests/check_format.sh

# The tests need GoogleTest, and the clang++ build below clang; a machine without them gets them
# here, as the test command promises.
need_gtest
need_command clang++ clang
install_needed "Test command"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKORVANE_RELEASE=ON -DKORVANE_WERROR=ON "${arch[@]}"
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure -LE 'deep|long'

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON -DKORVANE_WERROR=ON "${arch[@]}"
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize -j "$jobs" --output-on-failure -LE 'deep|long'

# The same tree with clang++, warnings as errors, and its unit tests: the compiler of macOS and of
# the WebAssembly toolchain.
cmake -S . -B build-clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release -DKORVANE_WERROR=ON "${arch[@]}"
cmake --build build-clang -j "$jobs"
ctest --test-dir build-clang -j "$jobs" --output-on-failure -L unit

# The same tree cross-built for ARM64 Linux and tested under qemu.
tests/arm64/run_arm64_tests.sh

# korvane.exe, cross-built for Windows and tested under wine.
tests/windows/run_windows_tests.sh

# The same tree as WebAssembly, tested under node and, with its page, in headless Chromium.
tests/wasm/run_wasm_tests.sh

# The release archives packed from the builds above, and each x86-64 level on its processors.
tests/release/run_release_tests.sh

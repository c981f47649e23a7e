#!/usr/bin/env bash
# Builds Korvane twice, as released (Release, with the release's flags) and under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test in both builds. Tests labelled "deep"
# (the whole perft suite at full depth) and "long" (long match runs) are left to
# `ctest --test-dir build -L deep` and `-L long`.
# Then the tree is cross-built for ARM64 Linux and tested under qemu, korvane.exe is cross-built
# for Windows and tested under wine, and the WebAssembly build is tested under node and in
# headless Chromium; last, one release archive per system is packed from those builds and
# checked, and each x86-64 level is run on its oldest processor under qemu.
# KORVANE_ARCH (x86-64, x86-64-v2, native; default x86-64-v2) sets the processor level.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
arch=${KORVANE_ARCH:-x86-64-v2}

# Every source as the formatter lays it out.
tests/check_format.sh

# The tests need GoogleTest; a machine without it gets it here, as the test command promises.
if [ ! -f /usr/include/gtest/gtest.h ]; then
    apt-get update && apt-get install -y googletest libgtest-dev
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKORVANE_RELEASE=ON -DKORVANE_WERROR=ON -DKORVANE_ARCH="$arch"
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure -LE 'deep|long'

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON -DKORVANE_WERROR=ON -DKORVANE_ARCH="$arch"
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize -j "$jobs" --output-on-failure -LE 'deep|long'

# The same tree cross-built for ARM64 Linux and tested under qemu.
tests/arm64/run_arm64_tests.sh

# korvane.exe, cross-built for Windows and tested under wine.
tests/windows/run_windows_tests.sh

# The same tree as WebAssembly, tested under node and, with its page, in headless Chromium.
tests/wasm/run_wasm_tests.sh

# The release archives packed from the builds above, and each x86-64 level on its processors.
tests/release/run_release_tests.sh

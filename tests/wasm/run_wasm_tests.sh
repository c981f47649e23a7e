#!/usr/bin/env bash
# Builds Korvane as WebAssembly with Debian's emscripten into build-wasm and tests it: under node
# the bench signature, the perft suite at depth 4, and the end-to-end and torture tests driving
# `node build-wasm/korvane.mjs` (from a driver built for this machine); then, in headless
# Chromium, the page to play Korvane (tests/wasm/browser_test.mjs, which leaves screenshots of
# play, analysis and the phone layout in build-wasm/screenshots) and the bench page. Installs
# emscripten, node, Chromium and GoogleTest from Debian's packages when they are missing, and the
# page's packages with npm ci.
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=$(nproc 2>/dev/null || echo 2)
started=$SECONDS

need=()
command -v em++ >/dev/null 2>&1 || need+=(emscripten)
command -v node >/dev/null 2>&1 || need+=(nodejs)
command -v npm >/dev/null 2>&1 || need+=(npm)
[ -x /usr/bin/chromium ] || need+=(chromium)
[ -f /usr/include/gtest/gtest.h ] || need+=(googletest libgtest-dev)
if [ ${#need[@]} -gt 0 ]; then
    install_start=$SECONDS
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${need[@]}"
    echo "WebAssembly tests: installed ${need[*]} in $((SECONDS - install_start)) s"
fi

cmake -S . -B build-wasm -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-emscripten.cmake -DCMAKE_BUILD_TYPE=Release \
    -DKORVANE_WERROR=ON
cmake --build build-wasm -j "$jobs"
ctest --test-dir build-wasm --output-on-failure

# The page, with the libraries its lockfile names, in headless Chromium; the evaluation's terms
# it shows are checked against the native korvane-eval (built here when the Linux build is not).
npm ci --prefix web --no-audit --no-fund
cmake --build build-wasm --target site
if [ ! -x build/korvane-eval ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
    cmake --build build -j "$jobs" --target korvane-eval
fi
node tests/wasm/browser_test.mjs build-wasm/site build-wasm/screenshots build/korvane-eval
echo "WebAssembly tests: passed in $((SECONDS - started)) s"

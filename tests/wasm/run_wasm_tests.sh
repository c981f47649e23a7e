#!/usr/bin/env bash
# Builds Korvane as WebAssembly with Debian's emscripten into build-wasm and tests it: under node
# the bench signature, the perft suite at depth 4, and the end-to-end and torture tests driving
# `node build-wasm/korvane.mjs` (from a driver built for this machine); then, in headless
# Chromium, the page to play Korvane (tests/wasm/browser_test.mjs, which leaves screenshots of
# play, analysis and the phone layout in build-wasm/screenshots) and the bench page, and
# Lighthouse's audit of the page (tests/wasm/lighthouse.mjs, its report in build-wasm). Installs
# emscripten, node, Chromium and GoogleTest from Debian's packages when they are missing, and the
# page's packages with npm ci.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/lib.sh
jobs=$(job_count)
started=$SECONDS

need_command em++ emscripten
need_command node nodejs
need_command npm npm
need_file /usr/bin/chromium chromium
need_gtest
install_needed "WebAssembly tests"

cmake -S . -B build-wasm -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-emscripten.cmake -DCMAKE_BUILD_TYPE=Release \
    -DKORVANE_WERROR=ON
cmake --build build-wasm -j "$jobs"
ctest --test-dir build-wasm --output-on-failure

# The page, with the libraries its lockfile names, in headless Chromium; the evaluation's terms
# it shows are checked against the native korvane-eval, and its reviews against tools/annotate.mjs
# on the native engine (both built here when the Linux build is not).
npm ci --prefix web --no-audit --no-fund
node --test tests/web/
cmake --build build-wasm --target site
if [ ! -x build/korvane-eval ] || [ ! -x build/korvane ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
    cmake --build build -j "$jobs" --target korvane korvane-eval
fi
node tests/wasm/browser_test.mjs build-wasm/site build-wasm/screenshots build/korvane-eval
node tests/wasm/lighthouse.mjs build-wasm/site build-wasm/lighthouse.json
echo "WebAssembly tests: passed in $((SECONDS - started)) s"

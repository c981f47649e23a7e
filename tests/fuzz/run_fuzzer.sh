#!/usr/bin/env bash
# Builds the command fuzzer with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it for the given number of seconds (default 600) on
# both cores, growing tests/fuzz/corpus. Installs clang's runtime first if it is missing.
#   tests/fuzz/run_fuzzer.sh [SECONDS] [JOBS]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-600}
jobs=${2:-2}

if ! ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    apt-get update && apt-get install -y clang-14 libclang-rt-14-dev
fi

out=$(pwd)/build-fuzz
corpus=$(pwd)/tests/fuzz/corpus
mkdir -p "$out" "$out/crashes" "$out/new-corpus"
# The processor level of KORVANE_ARCH when set (else the compiler's own), and the version
# header the build generates from the project's version.
march=()
[ -n "${KORVANE_ARCH:-}" ] && march=(-march="$KORVANE_ARCH")
version=$(sed -n 's/^project(Korvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
mkdir -p "$out/generated/frontend"
sed "s/@PROJECT_VERSION@/$version/g" src/frontend/version.h.in >"$out/generated/frontend/version.h"
# The POSIX layer only, of the three systems' layers; the processor check is no part of the engine's commands.
sources="$(find src -name '*.cpp' ! -path src/main.cpp ! -path 'src/platform/platform_*.cpp' ! -path src/platform/processor_check.cpp) src/platform/platform_posix.cpp"
clang++-14 -std=c++20 -O1 -g -Isrc -I"$out/generated" "${march[@]}" \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
    tests/fuzz/command_fuzzer.cpp $sources -o "$out/command_fuzzer"

# New inputs land in a scratch folder; merge them into the corpus with
#   build-fuzz/command_fuzzer -merge=1 tests/fuzz/corpus build-fuzz/new-corpus
# Crashing inputs land in build-fuzz/crashes; add each, once mended, to tests/fuzz/corpus.
cd "$out"
./command_fuzzer new-corpus "$corpus" -dict="$corpus/../commands.dict" \
    -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" -max_len=4096 -timeout=20 \
    -rss_limit_mb=4096 -artifact_prefix="$out/crashes/" -print_final_stats=1

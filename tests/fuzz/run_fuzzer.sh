#!/usr/bin/env bash
# Builds the command fuzzer (CMake's KORVANE_FUZZ: clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz and runs it for the given number of seconds
# (default 600) with JOBS workers (default: one a core), growing tests/fuzz/corpus. Installs
# clang and its runtime first if they are missing.
#   tests/fuzz/run_fuzzer.sh [SECONDS] [JOBS]
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/lib.sh
seconds=${1:-600}
jobs=${2:-$(job_count)}

# libFuzzer ships in clang's runtime, wherever this clang keeps it.
if ! command -v clang++ >/dev/null 2>&1 ||
    ! compgen -G "$(clang++ --print-runtime-dir)/libclang_rt.fuzzer*.a" >/dev/null; then
    need clang libclang-rt-dev
fi
install_needed Fuzzer

# The processor level is the build's: KORVANE_ARCH when set, else CMake's default.
out=$PWD/build-fuzz
corpus=$PWD/tests/fuzz/corpus
cmake -S . -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DKORVANE_FUZZ=ON -DKORVANE_WERROR=ON
cmake --build "$out" -j "$(job_count)" --target korvane-fuzzer
mkdir -p "$out/crashes" "$out/new-corpus"

# New inputs land in a scratch folder; merge them into the corpus with
#   build-fuzz/korvane-fuzzer -merge=1 tests/fuzz/corpus build-fuzz/new-corpus
# Crashing inputs land in build-fuzz/crashes; add each, once mended, to tests/fuzz/corpus.
cd "$out"
./korvane-fuzzer new-corpus "$corpus" -dict="$corpus/../commands.dict" \
    -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" -max_len=4096 -timeout=20 \
    -rss_limit_mb=4096 -artifact_prefix="$out/crashes/" -print_final_stats=1

#!/usr/bin/env bash
# Cross-builds Korvane for ARM64 Linux (aarch64) and runs its tests under qemu-user: the unit
# and end-to-end tests (the end-to-end ones drive the ARM64 engine over pipes through
# qemu-aarch64), the perft suite at depth 4, the fuzz corpus replay and the bench signature,
# which must equal the x86-64 build's. Installs the cross compiler, qemu and GoogleTest's sources
# when missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/lib.sh
jobs=$(job_count)

need_command aarch64-linux-gnu-g++ g++-aarch64-linux-gnu
need_command qemu-aarch64 qemu-user
need_command file file
need_gtest
install_needed "ARM64 tests"

cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake \
    -DCMAKE_BUILD_TYPE=Release -DKORVANE_RELEASE=ON -DKORVANE_WERROR=ON
cmake --build build-arm64 -j "$jobs"

# A static ARM64 executable, or the build went wrong without saying so.
for binary in korvane korvane-perft korvane-bench; do
    description=$(file -b build-arm64/$binary)
    case $description in
    *"ARM aarch64"*"statically linked"*) ;;
    *) echo "build-arm64/$binary is not a static ARM64 executable: $description" >&2; exit 1 ;;
    esac
done

# Self-play is left out: its time controls mean little on an emulated processor.
ctest --test-dir build-arm64 -j "$jobs" --output-on-failure -LE 'deep|long|games'

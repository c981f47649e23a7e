#!/usr/bin/env bash
# Korvane's speed as WebAssembly beside the native build's, measured in one run:
#
#   tools/wasm_speed.sh [-n RUNS] [-d DEPTH] [NATIVE_BUILD] [WASM_BUILD]
#
# Runs the bench at DEPTH (default 7) RUNS times (default 5) each, in turn: the native
# korvane-bench of NATIVE_BUILD (default build, the Release build), korvane-bench.mjs of
# WASM_BUILD (default build-wasm) under node, and the bench page of WASM_BUILD/site in headless
# Chromium (tests/wasm/chromium_bench.mjs; needs `cmake --build build-wasm --target site`).
# Alternating spreads the machine's other load over all three. Prints every run and the
# medians: nodes per second as each bench reports it (wall time), and for native and node also
# nodes per second of CPU time (user + system, node's compiler threads included), the figure
# that other work on a shared machine disturbs least. The node totals must all agree.
set -euo pipefail
runs=5
depth=7
while getopts "n:d:" opt; do
    case $opt in
    n) runs=$OPTARG ;;
    d) depth=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS] [-d DEPTH] [NATIVE_BUILD] [WASM_BUILD]" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/tests/lib.sh"
native=${1:-$repo/build}
wasm=${2:-$repo/build-wasm}
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-wasm-speed.XXXXXX")
trap 'rm -rf "$work"' EXIT

# One run: appends "nodes nps cpu_seconds" to the side's file.
run() {
    local side=$1
    shift
    local TIMEFORMAT='%U %S'
    { time "$@" > "$work/out" 2> /dev/null; } 2> "$work/time"
    local line cpu
    line=$(bench_line < "$work/out") || { echo "$side: no bench line from $*" >&2; exit 1; }
    cpu=$(awk '{print $1 + $2}' "$work/time")
    echo "$line $cpu" >> "$work/$side"
    echo "$side: Bench: ${line% *} nodes ${line#* } nps, $cpu s of CPU"
}

for ((i = 1; i <= runs; i++)); do
    run native "$native/korvane-bench" "$depth"
    run node node "$wasm/korvane-bench.mjs" "$depth"
    run chromium node "$repo/tests/wasm/chromium_bench.mjs" "$wasm/site" "$depth"
done

if [ "$(cut -d' ' -f1 "$work/native" "$work/node" "$work/chromium" | sort -u | wc -l)" -ne 1 ]; then
    echo "the node totals differ: the builds do not search alike" >&2
    exit 1
fi
native_nps=$(cut -d' ' -f2 "$work/native" | median)
native_cpu=$(awk '{ print $1 / $3 }' "$work/native" | median)
node_nps=$(cut -d' ' -f2 "$work/node" | median)
node_cpu=$(awk '{ print $1 / $3 }' "$work/node" | median)
chromium_nps=$(cut -d' ' -f2 "$work/chromium" | median)
echo "bench depth $depth, $(cut -d' ' -f1 "$work/native" | head -1) nodes, medians of $runs runs:"
printf '  native:   %10.0f nps, %10.0f nodes per CPU second\n' "$native_nps" "$native_cpu"
printf '  node:     %10.0f nps, %10.0f nodes per CPU second (%.2f of native by CPU time, %.2f by wall time)\n' \
    "$node_nps" "$node_cpu" "$(echo "$node_cpu $native_cpu" | awk '{print $1 / $2}')" \
    "$(echo "$node_nps $native_nps" | awk '{print $1 / $2}')"
printf '  chromium: %10.0f nps (%.2f of native by wall time)\n' "$chromium_nps" \
    "$(echo "$chromium_nps $native_nps" | awk '{print $1 / $2}')"

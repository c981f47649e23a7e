#!/usr/bin/env bash
# Do two engine binaries search alike? Runs "go depth N" on each position through both, each
# search in a fresh process, and compares every "info" and "bestmove" line with the time and
# nps fields taken out (nothing else may differ: a speed change must not change the search).
#
#   tools/compare_search_output.sh [-d DEPTH] [-s SUITE_POSITIONS] [-t SECONDS] OLD_KORVANE NEW_KORVANE
#
# Positions: the bench's positions, then the first SUITE_POSITIONS (default 12) of the perft
# suite. DEPTH defaults to 8, the bench's depth. An engine that has not answered "bestmove"
# within SECONDS (default 120) of a search's start, or that ends without one, fails the
# comparison: a crashed or hung engine stops it with its name and the position.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/tests/lib.sh"

depth=8
suite_count=12
limit=120
usage="usage: $0 [-d DEPTH] [-s SUITE_POSITIONS] [-t SECONDS] OLD NEW"
while getopts "d:s:t:" opt; do
    case $opt in
    d) depth=$OPTARG ;;
    s) suite_count=$OPTARG ;;
    t) limit=$OPTARG ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
two_operands "$usage" $#
old=$1
new=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-output.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The bench's "position" arguments, read from its source so that the two lists never part.
positions=()
while IFS= read -r line; do
    positions+=("$line")
done < <(sed -n '/BENCH_POSITIONS\[\] = {/,/^};/p' "$repo/tools/bench.cpp" | grep -o '"[^"]*"' | tr -d '"')
while IFS= read -r line; do
    positions+=("fen ${line%% ;*}")
done < <(grep -v '^#' "$repo/tests/data/perft_suite.epd" | head -n "$suite_count")

# Searches one position; the input stays open until "bestmove" has come, since the end of input
# stops a search, or until the engine has ended (the marker file): crashed, or killed by the
# timeout.
search() {
    local binary=$1 arguments=$2 out=$3 status=0
    : >"$out"
    rm -f "$out.ended"
    {
        printf 'position %s\ngo depth %d\n' "$arguments" "$depth"
        until grep -q '^bestmove' "$out" || [ -e "$out.ended" ]; do sleep 0.05; done
        [ -e "$out.ended" ] || printf 'quit\n'
    } | {
        status=0
        timeout -k 5 "$limit" "$binary" >"$out" || status=$?
        touch "$out.ended"
        exit $status
    } || status=$?
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        echo "$binary: no bestmove within $limit s (position $arguments)" >&2
        exit 1
    elif [ "$status" -ne 0 ]; then
        echo "$binary: ended with status $status (position $arguments)" >&2
        exit 1
    elif ! grep -q '^bestmove' "$out"; then
        echo "$binary: ended without a bestmove (position $arguments)" >&2
        exit 1
    fi
}

strip() { grep -E '^(info|bestmove)' "$1" | sed -E 's/ time [0-9]+//; s/ nps [0-9]+//'; }

failures=0
index=0
for arguments in "${positions[@]}"; do
    index=$((index + 1))
    search "$old" "$arguments" "$work/old.txt"
    search "$new" "$arguments" "$work/new.txt"
    if diff <(strip "$work/old.txt") <(strip "$work/new.txt") >"$work/diff.txt"; then
        echo "same      $index: $(strip "$work/new.txt" | grep '^bestmove') ($arguments)"
    else
        echo "DIFFERENT $index: $arguments"
        cat "$work/diff.txt"
        failures=$((failures + 1))
    fi
done
echo "$index positions at depth $depth, $failures different"
[ "$failures" -eq 0 ]

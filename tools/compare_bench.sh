#!/usr/bin/env bash
# Side-by-side speed comparison of two builds of korvane-bench on this machine.
#
#   tools/compare_bench.sh [-n RUNS] [-d DEPTH] OLD NEW
#
# OLD and NEW are each a korvane-bench binary or a git commit (anything `git rev-parse`
# understands); a commit is exported into a temporary folder and built there as Release.
# The two benches run alternately, RUNS times each (default 5), at DEPTH (default: the bench's
# own default), so that load from other work on the machine falls on both alike. Prints every
# run, each side's median nodes/s, and NEW's median divided by OLD's. A timing taken in
# separate runs on a shared machine says little; only the alternating medians count.
#
# The node totals of both must agree: a speed change that changes the search is rejected.
set -euo pipefail

runs=5
depth=""
while getopts "n:d:" opt; do
    case $opt in
    n) runs=$OPTARG ;;
    d) depth=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS] [-d DEPTH] OLD NEW" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [ $# -ne 2 ]; then
    echo "usage: $0 [-n RUNS] [-d DEPTH] OLD NEW" >&2
    exit 2
fi

repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Prints the path of a korvane-bench for a binary path or a commit.
resolve() {
    local what=$1 name=$2
    if [ -f "$what" ] && [ -x "$what" ]; then
        (cd "$(dirname "$what")" && echo "$(pwd)/$(basename "$what")")
        return
    fi
    local commit
    commit=$(git -C "$repo" rev-parse --verify "$what^{commit}") || {
        echo "$what is neither an executable nor a commit" >&2
        exit 2
    }
    mkdir -p "$work/$name/src"
    git -C "$repo" archive "$commit" | tar -x -C "$work/$name/src"
    echo "building $name = $commit" >&2
    cmake -S "$work/$name/src" -B "$work/$name/build" -DCMAKE_BUILD_TYPE=Release -DKORVANE_TESTS=OFF >/dev/null
    cmake --build "$work/$name/build" -j 2 --target korvane-bench >/dev/null
    echo "$work/$name/build/korvane-bench"
}

old=$(resolve "$1" old)
new=$(resolve "$2" new)

# One bench run: prints "<nodes> <nps> <cpu nps>", the last being nodes per second of the
# process's own CPU time (user + system), which other work on the machine disturbs less.
bench() {
    local out cpu
    out=$( { TIMEFORMAT='%U %S'; time "$1" $depth | grep '^Bench:'; } 2>"$work/time.txt")
    cpu=$(tail -n 1 "$work/time.txt" | awk '{ print $1 + $2 }')
    echo "$out" | awk -v cpu="$cpu" '{ printf "%s %s %.0f\n", $2, $4, (cpu > 0 ? $2 / cpu : 0) }'
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

old_nps=()
new_nps=()
old_cpu=()
new_cpu=()
old_nodes=""
new_nodes=""
for ((i = 1; i <= runs; i++)); do
    # Alternate which side goes first, so that neither always runs on a warmer machine.
    if ((i % 2)); then order="old new"; else order="new old"; fi
    for side in $order; do
        if [ "$side" = old ]; then
            read -r nodes nps cpu < <(bench "$old")
            old_nodes=$nodes
            old_nps+=("$nps")
            old_cpu+=("$cpu")
        else
            read -r nodes nps cpu < <(bench "$new")
            new_nodes=$nodes
            new_nps+=("$nps")
            new_cpu+=("$cpu")
        fi
        printf "run %d %-3s %s nodes %s nps (%s per cpu second)\n" "$i" "$side" "$nodes" "$nps" "$cpu"
    done
done

old_median=$(printf "%s\n" "${old_nps[@]}" | median)
new_median=$(printf "%s\n" "${new_nps[@]}" | median)
old_cpu_median=$(printf "%s\n" "${old_cpu[@]}" | median)
new_cpu_median=$(printf "%s\n" "${new_cpu[@]}" | median)
echo "old: $old ($old_nodes nodes) median $old_median nps, $old_cpu_median per cpu second"
echo "new: $new ($new_nodes nodes) median $new_median nps, $new_cpu_median per cpu second"
awk -v a="$old_median" -v b="$new_median" -v c="$old_cpu_median" -v d="$new_cpu_median" \
    'BEGIN { printf "ratio new/old: %.3f (per cpu second: %.3f)\n", b / a, d / c }'
if [ "$old_nodes" != "$new_nodes" ]; then
    echo "node totals differ: $old_nodes against $new_nodes" >&2
    exit 1
fi

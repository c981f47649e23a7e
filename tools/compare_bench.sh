#!/usr/bin/env bash
# Side-by-side speed comparison of two builds of korvane-bench on this machine.
#
#   tools/compare_bench.sh [-n RUNS] [-d DEPTH] [-t] [-p] OLD NEW
#
# OLD and NEW are each a korvane-bench binary or a git commit (anything `git rev-parse`
# understands); a commit is exported into a temporary folder and built there as Release.
# With -p the engine's own "perft" command is timed instead (DEPTH default 6), run by the
# korvane binary that stands beside each korvane-bench; its speed is the leaf count per second
# of the whole run, and the leaf counts must agree.
# The two benches run alternately, RUNS times each (default 5), at DEPTH (default: the bench's
# own default), so that load from other work on the machine falls on both alike. Prints every
# run, each side's median nodes/s, and NEW's median divided by OLD's. A timing taken in
# separate runs on a shared machine says little; only the alternating medians count.
#
# With -t the two run together, each pinned to its own core and swapping cores every run, so
# that both meet the same moment's load (on these machines the two cores also differ in speed by
# a few per cent, which the swap cancels). It then also prints the median of the per-run ratios,
# the steadiest figure on a busy machine. Needs two cores and taskset.
#
# The node totals of both must agree: a speed change that changes the search is rejected.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/tests/lib.sh"

runs=5
depth=""
together=0
perft=0
usage="usage: $0 [-n RUNS] [-d DEPTH] [-t] [-p] OLD NEW"
while getopts "n:d:tp" opt; do
    case $opt in
    n) runs=$OPTARG ;;
    d) depth=$OPTARG ;;
    t) together=1 ;;
    p) perft=1 ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
two_operands "$usage" $#
if ((together)) && { [ "$(job_count)" -lt 2 ] || ! command -v taskset >/dev/null; }; then
    echo "-t needs two cores and taskset" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT

old=$(build_of "$1" old "$work" korvane-bench korvane)
new=$(build_of "$2" new "$work" korvane-bench korvane)

# One bench run: prints "<nodes> <nps> <cpu nps>", the last being nodes per second of the
# process's own CPU time (user + system), which other work on the machine disturbs less.
# An optional second argument pins the run to that core.
bench() {
    local out cpu pin=() tag=${2:-any}
    [ -n "${2:-}" ] && pin=(taskset -c "$2")
    if ((perft)); then
        # The whole run's wall and CPU time: the speed of the leaves the command counted.
        out=$( { TIMEFORMAT='%R %U %S'; time printf 'perft %s\nquit\n' "${depth:-6}" |
            "${pin[@]}" "$(dirname "$1")/korvane" | grep '^Nodes for depth'; } 2>"$work/time.$tag.txt")
        tail -n 1 "$work/time.$tag.txt" | awk -v nodes="$(echo "$out" | awk '{ print $NF }')" \
            '{ printf "%s %.0f %.0f\n", nodes, nodes / $1, ($2 + $3 > 0 ? nodes / ($2 + $3) : 0) }'
        return
    fi
    out=$( { TIMEFORMAT='%U %S'; time "${pin[@]}" "$1" $depth | bench_line; } 2>"$work/time.$tag.txt")
    cpu=$(tail -n 1 "$work/time.$tag.txt" | awk '{ print $1 + $2 }')
    echo "$out" | awk -v cpu="$cpu" '{ printf "%s %s %.0f\n", $1, $2, (cpu > 0 ? $1 / cpu : 0) }'
}

old_nps=()
new_nps=()
old_cpu=()
new_cpu=()
old_nodes=""
new_nodes=""
pair_ratios=()
for ((i = 1; i <= runs; i++)); do
    if ((together)); then
        old_core=$((i % 2)) new_core=$(((i + 1) % 2))
        bench "$old" "$old_core" >"$work/old.txt" &
        old_pid=$!
        bench "$new" "$new_core" >"$work/new.txt" &
        wait "$old_pid" $!
        read -r old_nodes nps cpu <"$work/old.txt"
        old_nps+=("$nps")
        old_cpu+=("$cpu")
        printf "run %d old %s nodes %s nps (%s per cpu second) on core %d\n" "$i" "$old_nodes" "$nps" "$cpu" "$old_core"
        read -r new_nodes nps2 cpu <"$work/new.txt"
        new_nps+=("$nps2")
        new_cpu+=("$cpu")
        printf "run %d new %s nodes %s nps (%s per cpu second) on core %d\n" "$i" "$new_nodes" "$nps2" "$cpu" "$new_core"
        pair_ratios+=("$(awk -v a="$nps" -v b="$nps2" 'BEGIN { printf "%.4f", b / a }')")
        continue
    fi
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
if ((together)); then
    echo "median of the runs' own ratios new/old: $(printf "%s\n" "${pair_ratios[@]}" | median %.3f)"
fi
if [ "$old_nodes" != "$new_nodes" ]; then
    echo "node totals differ: $old_nodes against $new_nodes" >&2
    exit 1
fi

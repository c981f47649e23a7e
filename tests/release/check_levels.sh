#!/usr/bin/env bash
# Proves that each x86-64 level runs on the oldest processor its name promises and refuses, in
# one line and with status 1, the processor one model below:
#   tests/release/check_levels.sh DIR_X86_64 DIR_X86_64_V2 DIR_X86_64_V3
# Each folder holds that level's korvane and korvane-bench for Linux. Processors are acted out
# by qemu-x86_64: core2duo (x86-64), Nehalem (x86-64-v2), Haswell (x86-64-v3).
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
. "$repo/tests/lib.sh"
read -r depth signature <"$repo/tests/data/bench_signature.txt"
levels=(x86-64 x86-64-v2 x86-64-v3)
processors=(core2duo Nehalem Haswell)
dirs=("$@")
[ ${#dirs[@]} -eq 3 ] || { echo "usage: $0 DIR_X86_64 DIR_X86_64_V2 DIR_X86_64_V3" >&2; exit 2; }
scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvane-levels.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# qemu names the features its model lacks on its own standard error; only the engine's counts.
# A run that has not ended in the test command's quarter of an hour for the bench has hung.
run() {
    local processor=$1
    shift
    timeout -k 5 900 qemu-x86_64 -cpu "$processor" "$@" 2>"$scratch/stderr" || return $?
}

failed=0
for i in 0 1 2; do
    level=${levels[$i]} dir=${dirs[$i]}
    line=$(run "${processors[$i]}" "$dir/korvane-bench" "$depth" | bench_line) || true
    nodes=${line%% *}
    if [ "$nodes" = "$signature" ]; then
        echo "$level on ${processors[$i]}: runs, bench signature $signature"
    else
        echo "$level on ${processors[$i]}: bench signature ${nodes:-missing}, recorded $signature" >&2
        cat "$scratch/stderr" >&2
        failed=1
    fi
    ((i > 0)) || continue
    # One model below: the engine refuses before it prints anything.
    below=${processors[$((i - 1))]}
    status=0
    run "$below" "$dir/korvane" </dev/null >"$scratch/stdout" || status=$?
    refusal=$(grep -v '^qemu-x86_64: ' "$scratch/stderr" || true)
    if [ $status -eq 1 ] && [ ! -s "$scratch/stdout" ] && [ -n "$refusal" ] && [ "$(echo "$refusal" | wc -l)" -eq 1 ] &&
        [[ $refusal == *"built for $level processors"*"take korvane-"*"-linux-${levels[$((i - 1))]}.tar.gz instead." ]]; then
        echo "$level on $below: refuses: $refusal"
    else
        echo "$level on $below: status $status, expected a one-line refusal and status 1; it wrote:" >&2
        cat "$scratch/stdout" "$scratch/stderr" >&2
        failed=1
    fi
done
exit $failed

#!/usr/bin/env bash
# Do two builds evaluate every position alike? korvane-eval of each, line for line.
#
#   [PLAYOUTS=N] [PLIES=N] [SEED=N] tools/compare_eval.sh OLD NEW
#
# OLD and NEW are each a korvane-eval binary or a git commit (built as Release in a temporary
# folder). The positions: the start position, every position of tests/data/perft_suite.epd and
# perft_deep.epd, and those of PLAYOUTS random games (default 200) of up to PLIES moves each
# (default 40), each from a position of those files. The games are played by NEW's korvane and
# korvane-perft (which must stand beside its korvane-eval): korvane-perft lists the legal moves,
# korvane makes the chosen one and prints the board, whose placement and side to move give the
# next position (without castling rights or an en-passant square, which the evaluation does not
# read). Prints each position whose output differs, and the count; exits 1 on any difference.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/tests/lib.sh"

# The playouts are set from the environment, as they seldom change.
playouts=${PLAYOUTS:-200}
plies=${PLIES:-40}
seed=${SEED:-1}
two_operands "usage: [PLAYOUTS=N] [PLIES=N] [SEED=N] $0 OLD NEW" $#

work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-eval-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT

old=$(build_of "$1" old "$work" korvane-eval korvane-perft korvane)
new=$(build_of "$2" new "$work" korvane-eval korvane-perft korvane)
tools=$(dirname "$new")
for program in korvane korvane-perft; do
    [ -x "$tools/$program" ] || { echo "no $program beside $new" >&2; exit 2; }
done

# The board that korvane prints after the move, as a FEN.
fen_after() {
    printf 'position fen %s moves %s\nprint\nquit\n' "$1" "$2" | "$tools/korvane" | awk '
        /^[1-8] / { row = ""; empty = 0
                    for (i = 2; i <= 9; ++i) {
                        if ($i == ".") { ++empty; continue }
                        if (empty) { row = row empty; empty = 0 }
                        row = row $i }
                    if (empty) row = row empty
                    board = board (board == "" ? "" : "/") row }
        /^turn: / { side = $2 == "W" ? "w" : "b" }
        END { print board " " side " - - 0 1" }'
}

compared=0
differences=0
compare() {
    local a b
    a=$("$old" "$1" 2>&1) || true
    b=$("$new" "$1" 2>&1) || true
    compared=$((compared + 1))
    if [ "$a" != "$b" ]; then
        differences=$((differences + 1))
        printf 'differs: %s\n  old: %s\n  new: %s\n' "$1" "${a//$'\n'/ | }" "${b//$'\n'/ | }"
    fi
}

mapfile -t starts < <(
    echo "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
    grep -hv '^#' "$repo/tests/data/perft_suite.epd" "$repo/tests/data/perft_deep.epd" | sed 's/ *;.*//' | grep .
)
for fen in "${starts[@]}"; do
    compare "$fen"
done

RANDOM=$seed
for ((game = 0; game < playouts; ++game)); do
    fen=${starts[RANDOM % ${#starts[@]}]}
    for ((ply = 0; ply < plies; ++ply)); do
        mapfile -t moves < <("$tools/korvane-perft" 1 "$fen" | sed -n 's/^\([a-h][1-8][a-h][1-8][qrbn]\{0,1\}\): .*/\1/p')
        [ ${#moves[@]} -gt 0 ] || break
        fen=$(fen_after "$fen" "${moves[RANDOM % ${#moves[@]}]}")
        compare "$fen"
    done
done

echo "$compared positions, $differences with a different evaluation"
[ "$differences" -eq 0 ]

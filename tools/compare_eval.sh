#!/usr/bin/env bash
# Do two evaluation tools give the same value everywhere? Runs OLD and NEW korvane-eval on every
# position of the perft suites and on the positions of PLAYOUTS random games from them (played
# by chess.js from the page's libraries: npm ci --prefix web), and compares their last lines.
#
#   tools/compare_eval.sh [-n PLAYOUTS] OLD_KORVANE_EVAL NEW_KORVANE_EVAL
set -euo pipefail
playouts=200
while getopts "n:" opt; do
    case $opt in
    n) playouts=$OPTARG ;;
    *) echo "usage: $0 [-n PLAYOUTS] OLD NEW" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -eq 2 ] || { echo "usage: $0 [-n PLAYOUTS] OLD NEW" >&2; exit 2; }
old=$1
new=$2
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-eval.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The suites' positions, the start position, and the playouts' positions, one FEN a line.
{
    echo "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
    grep -hv '^#' "$repo/tests/data/perft_suite.epd" "$repo/tests/data/perft_deep.epd" | sed 's/ *;.*//'
} > "$work/roots"
node --input-type=module - "$work/roots" "$playouts" > "$work/fens" <<'JS'
import { readFileSync } from 'node:fs';
const { Chess } = await import(new URL('web/node_modules/chess.js/dist/esm/chess.js', 'file://' + process.cwd() + '/').href);
const roots = readFileSync(process.argv[2], 'utf8').split('\n').filter(Boolean);
let seed = 2064972;
const below = n => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed % n; };
for (const fen of roots)
    console.log(fen);
for (let game = 0; game < Number(process.argv[3]); game++) {
    const chess = new Chess(roots[game % roots.length]);
    for (let ply = 0; ply < 80 && !chess.isGameOver(); ply++) {
        const moves = chess.moves();
        chess.move(moves[below(moves.length)]);
        console.log(chess.fen());
    }
}
JS
count=0
different=0
while IFS= read -r fen; do
    # shellcheck disable=SC2086
    a=$("$old" $fen | tail -n 1)
    # shellcheck disable=SC2086
    b=$("$new" $fen | tail -n 1)
    count=$((count + 1))
    if [ "$a" != "$b" ]; then
        different=$((different + 1))
        echo "different: $fen: $a against $b"
    fi
done < "$work/fens"
echo "$count positions, $different different"
[ "$different" -eq 0 ]

// A review of a game: every position searched to a fixed depth, each move judged by what it cost
// its mover in winning chances, each side's accuracy and average centipawn loss, and what a review
// adds to the game's PGN. The formulas are the ones in common use on chess sites, so that the
// figures read as players know them. Pure functions of the game and the review's positions: the
// page and the command-line tool (tools/annotate.mjs) give the same figures for the same review.
//
// A review is { depth, positions }: positions[ply] for every position of the game, each
// { score (White's view: { cp }, { mate } or { result } where the game is over), best and pv
// (coordinate text), forced (one legal move: no score of its own) }, or null while unknown. A
// review read from a PGN also has judged[ply - 1] for each move, as the PGN's NAGs say.
import { game_end, line_moves, line_sans, side_to_move } from './game.mjs';

export const REVIEW_DEPTHS = [7, 8, 9, 10];
export const REVIEW_DEPTH = 7;      // a 40-move game in about 20 s in a browser on this project's machine
const CAP = 1000;                   // centipawns at which winning chances stop growing; a mate counts as this
const START_CP = 15;                // the start of every game, for a game's accuracy and centipawn loss

// Judgements, worst first, by the Win% points a move lost.
export const JUDGEMENTS = [
    { id: 'blunder', least: 30, nag: '$4', mark: '??', name: 'Blunder' },
    { id: 'mistake', least: 20, nag: '$2', mark: '?', name: 'Mistake' },
    { id: 'inaccuracy', least: 10, nag: '$6', mark: '?!', name: 'Inaccuracy' },
];
export const judgement_of = id => JUDGEMENTS.find(judgement => judgement.id === id) ?? null;

const clamp = (value, least, most) => Math.max(least, Math.min(most, value));

// A White-view score in capped centipawns: a mate or a won game counts as ±1000, a drawn end as 0.
export function capped_cp(score)
{
    if (score.result !== undefined)
        return score.result === '1-0' ? CAP : score.result === '0-1' ? -CAP : 0;
    if (score.mate !== undefined)
        return score.mate > 0 ? CAP : -CAP;
    return clamp(score.cp, -CAP, CAP);
}

// White's winning chances, 0 to 100, from a White-view score.
export function win_percent(score)
{
    return 50 + 50 * (2 / (1 + Math.exp(-0.00368208 * capped_cp(score))) - 1);
}

// A move's accuracy, 0 to 100, from the Win% points its mover lost.
export function move_accuracy(loss)
{
    if (loss <= 0)
        return 100;
    return clamp(103.1668100711649 * Math.exp(-0.04354415386753951 * loss) - 3.166924740191411 + 1, 0, 100);
}

// A score from the mover's view: { cp }, or { mate } with mate > 0 when the mover mates (a game
// the mover has won counts as a mate).
function mover_view(score, mover)
{
    const sign = mover === 'w' ? 1 : -1;
    if (score.result !== undefined)
        return score.result === '1/2-1/2' ? { cp: 0 } : { mate: (score.result === '1-0' ? Infinity : -Infinity) * sign };
    return score.mate !== undefined ? { mate: score.mate * sign } : { cp: score.cp * sign };
}

// The judgement of a move from before to after (White-view scores), played by mover: null, or
// { id, kind, loss } with kind "cp" (loss in Win% points), "mate-created" (the mover is now mated
// by force) or "mate-lost" (the mover's forced mate is gone).
export function judge_move(before, after, mover)
{
    const b = mover_view(before, mover);
    const a = mover_view(after, mover);
    const mates = score => score.mate !== undefined && score.mate > 0;
    const mated = score => score.mate !== undefined && score.mate < 0;
    const by = (kind, value, thresholds) => {
        const id = thresholds[0](value) ? 'inaccuracy' : thresholds[1](value) ? 'mistake' : 'blunder';
        return { id, kind, loss: null };
    };
    if (mates(b) && !mates(a))
        return by('mate-lost', a.cp ?? -Infinity, [cp => cp > 999, cp => cp > 700]);
    if (mated(a) && !mated(b))
        return by('mate-created', b.cp, [cp => cp < -999, cp => cp < -700]);
    if (b.mate !== undefined || a.mate !== undefined)
        return null;  // a mate kept, sooner or later, or one escaped
    const sign = mover === 'w' ? 1 : -1;
    const loss = sign * (win_percent(before) - win_percent(after));
    const judgement = JUDGEMENTS.find(each => loss >= each.least);
    return judgement ? { id: judgement.id, kind: 'cp', loss } : null;
}

// The judgement of the move to ply (1 or more), or null: never for a forced move, nor for the move
// the review found best; a review read from a PGN gives its NAGs' judgements.
export function judgement_at(game, review, ply)
{
    if (review.judged)
        return review.judged[ply - 1] ?? null;
    const before = review.positions[ply - 1];
    const after = review.positions[ply];
    if (!before?.score || !after?.score || before.forced || before.best === game.moves[ply - 1])
        return null;
    return judge_move(before.score, after.score, side_to_move(game.fens[ply - 1]));
}

function mean(values)
{
    return values.reduce((sum, value) => sum + value, 0) / values.length;
}

function deviation(values)
{
    const middle = mean(values);
    return Math.sqrt(mean(values.map(value => (value - middle) ** 2)));
}

// Each side's accuracy of a game, 0 to 100 (null for a side without a move), from the White-view
// capped centipawns after each move, the first move by first_mover: the mean of a volatility-
// weighted mean and a harmonic mean of the moves' accuracies, on the Win% series that starts at
// START_CP.
export function game_accuracy(cps, first_mover)
{
    const wins = [START_CP, ...cps].map(cp => win_percent({ cp }));
    const size = clamp(Math.floor(cps.length / 10), 2, 8);
    const windows = Array(Math.max(Math.min(size, wins.length) - 2, 0)).fill(wins.slice(0, size));
    for (let at = 0; at + size <= wins.length; ++at)
        windows.push(wins.slice(at, at + size));
    if (wins.length < size)
        windows.push(wins);
    const moves = { w: [], b: [] };
    cps.forEach((cp, i) => {
        const mover = (i % 2 === 0) === (first_mover === 'w') ? 'w' : 'b';
        const loss = (mover === 'w' ? 1 : -1) * (wins[i] - wins[i + 1]);
        moves[mover].push({ accuracy: move_accuracy(loss), weight: clamp(deviation(windows[i]), 0.5, 12) });
    });
    const side = list => {
        if (list.length === 0)
            return null;
        const weighted = list.reduce((sum, move) => sum + move.accuracy * move.weight, 0) / list.reduce((sum, move) => sum + move.weight, 0);
        const harmonic = list.length / list.reduce((sum, move) => sum + 1 / Math.max(move.accuracy, 1), 0);
        return (weighted + harmonic) / 2;
    };
    return { w: side(moves.w), b: side(moves.b) };
}

// Each side's average centipawn loss (null without a move), on the same series as the accuracy.
export function centipawn_loss(cps, first_mover)
{
    const series = [START_CP, ...cps];
    const losses = { w: [], b: [] };
    cps.forEach((cp, i) => {
        const mover = (i % 2 === 0) === (first_mover === 'w') ? 'w' : 'b';
        losses[mover].push(Math.max(0, (mover === 'w' ? 1 : -1) * (series[i] - cp)));
    });
    return { w: losses.w.length ? mean(losses.w) : null, b: losses.b.length ? mean(losses.b) : null };
}

// The figures of a finished review for White and for Black: { inaccuracies, mistakes, blunders,
// accuracy, acpl }, or null while a score is missing.
export function review_summary(game, review)
{
    const scores = review.positions.slice(1).map(position => position?.score ?? null);
    if (scores.length === 0 || scores.includes(null))
        return null;
    const cps = scores.map(capped_cp);
    const first = side_to_move(game.fens[0]);
    const accuracy = game_accuracy(cps, first);
    const acpl = centipawn_loss(cps, first);
    const sides = {};
    for (const side of ['w', 'b']) {
        const counts = { inaccuracy: 0, mistake: 0, blunder: 0 };
        game.moves.forEach((move, i) => {
            const judged = side_to_move(game.fens[i]) === side ? judgement_at(game, review, i + 1) : null;
            if (judged)
                ++counts[judged.id];
        });
        sides[side] = { inaccuracies: counts.inaccuracy, mistakes: counts.mistake, blunders: counts.blunder,
                        accuracy: accuracy[side], acpl: acpl[side] };
    }
    return sides;
}

// The tags a review adds to the game's PGN.
export function review_tags(review)
{
    return { Annotator: `Korvane, depth ${review.depth}` };
}

// A White-view score as PGN's [%eval] writes it: "0.17", "-1.50", "#3", "#-3".
export function eval_text(score)
{
    if (score.mate !== undefined)
        return `#${score.mate}`;
    return (score.cp / 100).toFixed(2);
}

// A score read back from [%eval]: "0.17", "#-3" or a number.
export function eval_score(text)
{
    const value = String(text).trim();
    if (/^#[+-]?\d+$/.test(value))
        return { mate: Number(value.slice(1)) };
    const pawns = Number(value);
    return Number.isFinite(pawns) ? { cp: Math.round(pawns * 100) } : null;
}

// The best move and line of the position before the move to ply, in SAN: { best, line } or null.
export function best_line(game, review, ply)
{
    const before = review.positions[ply - 1];
    if (!before?.pv?.length)
        return null;
    const line = line_sans(game.fens[ply - 1], before.pv);
    return line.length ? { best: line[0], line } : null;
}

// What the review adds to the game's PGN (pgn-out.mjs): for every move an evaluation of the
// position after it, and for each judged move its NAG, "(0.23 → -1.50) Mistake. Nf3 was best."
// and the best line as a variation; the start's evaluation before the first move.
export function review_annotations(game, review)
{
    const moves = game.moves.map((move, i) => {
        const ply = i + 1;
        const after = review.positions[ply];
        const added = { eval: after?.score && after.score.result === undefined ? eval_text(after.score) : null };
        const judged = judgement_at(game, review, ply);
        const before = review.positions[ply - 1];
        if (!judged)
            return added;
        const judgement = judgement_of(judged.id);
        const best = best_line(game, review, ply);
        const scores = before?.score && after?.score ? `(${eval_text(before.score)} → ${after.score.result ?? eval_text(after.score)}) ` : '';
        return {
            ...added, nag: judgement.nag,
            comment: `${scores}${judgement.name}.${best ? ` ${best.best} was best.` : ''}`,
            line: best ? best.line.map(san => ({ san, annotation: null })) : null,
        };
    });
    const start = review.positions[0]?.score;
    return { moves, start_eval: start && start.result === undefined ? eval_text(start) : null };
}

// A review from what a PGN says beside its moves: the evaluations, the judgements of its NAGs, and
// for each judged move the best move and line of its variation, or of its "X was best." comment.
export function review_from_annotations(game, depth = null)
{
    const annotations = game.annotations;
    const evaluations = annotations.map(annotation => (annotation?.eval ? eval_score(annotation.eval) : null));
    if (game.moves.length === 0 || evaluations.filter(Boolean).length < game.moves.length / 2)
        return null;  // not a reviewed game
    const positions = [{ score: game.preface?.eval ? eval_score(game.preface.eval) : { cp: START_CP } }];
    const judged = [];
    game.moves.forEach((move, i) => {
        // A position where the game is over has no evaluation in the PGN: the rules give its score.
        const end = evaluations[i] ? null : game_end(game, i + 1);
        const ended = end && (end.result === '1/2-1/2' ? { cp: 0 } : { result: end.result });
        positions.push(evaluations[i] ? { score: evaluations[i] } : ended ? { score: ended } : null);
        const judgement = JUDGEMENTS.find(each => annotations[i]?.nags.includes(each.nag));
        judged.push(judgement ? { id: judgement.id, kind: 'pgn', loss: null } : null);
        const line = judgement ? best_line_of(game, i, annotations[i]) : null;
        if (line)
            positions[i] = { ...positions[i], best: line[0], pv: line };
    });
    return { depth, positions, judged, from_pgn: true };
}

// The best line (coordinate text) given for the move at index i: its variation that starts with the
// move its comment names as best, else its last variation.
function best_line_of(game, i, annotation)
{
    const named = annotation.comment.match(/(\S+) was best\./)?.[1];
    const lines = annotation.variations.map(line => line.map(move => move.san));
    const line = lines.find(sans => sans[0] === named) ?? lines.at(-1) ?? (named ? [named] : null);
    if (!line)
        return null;
    const moves = line_moves(game.fens[i], line);
    return moves.length ? moves : null;
}

// The actions of a game's review (review.mjs) and of "learn from your mistakes": starting a
// review, each position Korvane reports, the end or failure of the review, the explanation of a
// judged move, and the person's tries at a better move.
import { cut_game, extend_game, game_end, game_key, line_sans, side_to_move } from './game.mjs';
import { REVIEW_DEPTHS, judge_move, judgement_at } from './review.mjs';
import { state, update } from './store.mjs';

const COLOURS = { w: 'White', b: 'Black' };

let reviews = 0;  // each review's id: what an earlier review asked for never reaches a later one

function review_of(id)
{
    return state.review?.id === id ? state.review : null;
}

export function start_review()
{
    const { game } = state;
    update({
        review: { id: ++reviews, key: game_key(game), depth: state.review_depth, status: 'running',
                  positions: Array(game.moves.length + 1).fill(null), judged: null, from_pgn: false, error: null, why: {} },
        learn: null,
    });
}

export function set_review_depth(depth)
{
    if (REVIEW_DEPTHS.includes(depth))
        update({ review_depth: depth });
}

export function review_position(id, ply, position)
{
    const review = review_of(id);
    if (review) {
        const positions = [...review.positions];
        positions[ply] = position;
        update({ review: { ...review, positions } });
    }
}

export function review_finished(id)
{
    const review = review_of(id);
    if (review)
        update({ review: { ...review, status: 'done' } });
}

export function review_failed(id, error)
{
    const review = review_of(id);
    if (review)
        update({ review: { ...review, status: 'failed', error } });
}

export function review_explained(id, ply, why)
{
    const review = review_of(id);
    if (review)
        update({ review: { ...review, why: { ...review.why, [ply]: why } } });
}

// A review read from a PGN (review.mjs), for the game loaded.
export function review_loaded(game, restored)
{
    return restored ? { ...restored, id: ++reviews, key: game_key(game), status: 'done', error: null, why: {} } : null;
}

// ---- Learn from your mistakes ----

// The judged moves of side, by the ply they lead to.
function judged_plies(side)
{
    const { game, review } = state;
    return game.moves.map((move, i) => i + 1).filter(ply => side_to_move(game.fens[ply - 1]) === side && judgement_at(game, review, ply));
}

export function start_learn(side)
{
    const plies = state.review?.status === 'done' ? judged_plies(side) : [];
    if (plies.length === 0) {
        update({ message: { text: `${COLOURS[side]} has no judged move to try again.`, failed: true } });
        return;
    }
    update({ learn: { side, plies, at: 0, status: 'asking', tried: null, attempts: 0, results: [] }, view: plies[0] - 1 });
}

function learn_item()
{
    const { learn, game, review } = state;
    const ply = learn.plies[learn.at];
    return { learn, ply, fen: game.fens[ply - 1], best: review.positions[ply - 1] };
}

// The person's try at a better move than the game's: the best move, or a mate, is good at once;
// anything else is searched (review-runner.mjs) and judged against the best move's score.
export function learn_try(uci)
{
    const { learn, ply, fen, best } = learn_item();
    if (!['asking', 'bad'].includes(learn.status))
        return false;
    const game = extend_game(cut_game(state.game, ply - 1), uci);
    if (!game)
        return false;
    const tried = { uci, san: game.sans.at(-1), fen: game.fens.at(-1), game };
    const mates = game_end(game, ply)?.result === (learn.side === 'w' ? '1-0' : '0-1');
    update({ learn: { ...learn, tried, attempts: learn.attempts + 1, status: uci === best?.best || mates ? 'good' : 'judging' } });
    if (uci === best?.best || mates)
        record_result();
    return true;
}

function record_result()
{
    const { learn } = state;
    const results = [...learn.results];
    results[learn.at] = learn.status === 'good' ? (learn.attempts === 1 ? 'found' : 'found-later') : learn.status === 'solution' ? 'solution' : 'skipped';
    update({ learn: { ...learn, results } });
}

// The score of the position after the person's try (White's view).
export function learn_judged(uci, score)
{
    const { learn, best } = learn_item();
    if (learn.status !== 'judging' || learn.tried?.uci !== uci)
        return;
    const good = !best?.score || !judge_move(best.score, score, learn.side);
    update({ learn: { ...learn, status: good ? 'good' : 'bad', tried: { ...learn.tried, score } } });
    if (good)
        record_result();
}

export function learn_solution()
{
    const { learn, fen, best } = learn_item();
    if (learn.status === 'done' || !best?.best)
        return;
    const line = line_sans(fen, best.pv ?? [best.best]);
    update({ learn: { ...learn, status: 'solution', solution: { line, uci: best.best } } });
    record_result();
}

// The next judged move: after a good try or the solution, or skipping this one.
export function learn_next()
{
    const { learn } = state;
    if (!learn || learn.status === 'done')
        return;
    if (learn.status !== 'good' && learn.status !== 'solution') {
        update({ learn: { ...learn, status: 'skipped' } });
        record_result();
    }
    const at = state.learn.at + 1;
    if (at >= learn.plies.length)
        update({ learn: { ...state.learn, status: 'done', tried: null, solution: null } });
    else
        update({ learn: { ...state.learn, at, status: 'asking', tried: null, solution: null, attempts: 0 }, view: learn.plies[at] - 1 });
}

export function stop_learn()
{
    update({ learn: null });
}

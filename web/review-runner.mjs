// The review's own Korvane in the page: it runs a review when one is wanted (review-run.mjs, the
// same searches as tools/annotate.mjs), explains the judged move on the board by the evaluation's
// terms (why.mjs, with the terms from terms-runner.mjs), and judges the person's tries in "learn
// from your mistakes" by a search at the review's depth. Each review has its own id: what an
// earlier one asked for never reaches a later one, even of the same game.
import { start_engine } from './engine.mjs';
import { extend_game, game_end, position_command, side_to_move } from './game.mjs';
import { learn_judged, review_explained, review_failed, review_finished, review_position, stop_learn } from './review-ctrl.mjs';
import { REVIEW_DEPTH, judgement_at } from './review.mjs';
import { run_review } from './review-run.mjs';
import { state, subscribe } from './store.mjs';
import { terms_of } from './terms-runner.mjs';
import { white_score } from './uci.mjs';
import { explain_move } from './why.mjs';

export function start_review_runner()
{
    let engine = null;
    let run = null;     // the review running: { id, handle }
    let trying = null;  // the try being judged: { key, search }
    const explaining = new Set();

    function engine_of()
    {
        engine ??= start_engine((status, error) => {
            engine?.terminate();
            engine = null;
            run = null;
            trying = null;
            if (state.review)
                review_failed(state.review.id, error ?? `status ${status}`);
            if (state.learn)
                stop_learn();
        });
        return engine;
    }

    function review(wanted, game)
    {
        if (run && (wanted?.id !== run.id || wanted.status !== 'running')) {
            run.handle.cancel();
            run = null;
        }
        if (wanted?.status !== 'running' || run)
            return;
        const { id } = wanted;
        let handle;
        try {
            handle = run_review(engine_of(), game, wanted.depth, (ply, position) => review_position(id, ply, position));
        } catch (error) {
            review_failed(id, error.message);
            return;
        }
        run = { id, handle };
        handle.done.then(positions => {
            if (positions && run?.handle === handle) {
                run = null;
                review_finished(id);
            }
        });
    }

    // The judged move on the board, explained once the review is done (a review read from a PGN
    // has no line after the move played to explain it by).
    function explain({ review: done, game, view })
    {
        if (done?.status !== 'done' || done.from_pgn || view === 0 || done.why[view] || !judgement_at(game, done, view))
            return;
        const asked = `${done.id}#${view}`;
        if (explaining.has(asked))
            return;
        explaining.add(asked);
        explain_move(game, done, view, terms_of).then(why => review_explained(done.id, view, why ?? { short: true }),
                                                      () => review_explained(done.id, view, { short: true }));
    }

    // A try is judged by the score of the position after it; where the other side then has one
    // legal move (the engine gives no score), by the position after that move.
    function judge_try({ learn, review: done })
    {
        const key = learn?.status === 'judging' ? `${learn.at}|${learn.tried.uci}` : null;
        if (trying && trying.key !== key) {
            trying.search?.cancel();
            trying = null;
        }
        if (!key || trying)
            return;
        const { uci } = learn.tried;
        const mine = { key, search: null };
        trying = mine;
        const judged = score => {
            if (trying === mine) {
                trying = null;
                learn_judged(uci, score);
            }
        };
        const score_after = line => {
            const ply = line.moves.length;
            const end = game_end(line, ply);
            if (end) {
                judged(end.result === '1/2-1/2' ? { cp: 0 } : { result: end.result });
                return;
            }
            let last = null;
            mine.search = engine_of().search(position_command(line, ply), `go depth ${done.depth ?? REVIEW_DEPTH}`, {
                on_info: words => { last = white_score(words, side_to_move(line.fens[ply])) ?? last; },
                on_done: words => (!last && words[1] ? score_after(extend_game(line, words[1])) : judged(last ?? { cp: 0 })),
            });
        };
        score_after(learn.tried.game);
    }

    subscribe(current => {
        review(current.review, current.game);
        explain(current);
        judge_try(current);
    });
}

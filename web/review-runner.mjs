// The review's own Korvane in the page: it runs a review when one is wanted (review-run.mjs, the
// same searches as tools/annotate.mjs), explains the judged move on the board by the evaluation's
// terms (why.mjs, with the terms from terms-runner.mjs), and judges the person's tries in "learn
// from your mistakes" by a search at the review's depth.
import { start_engine } from './engine.mjs';
import { extend_game, game_end, position_command, side_to_move } from './game.mjs';
import { learn_judged, review_explained, review_failed, review_finished, review_position } from './review-ctrl.mjs';
import { run_review } from './review-run.mjs';
import { judgement_at } from './review.mjs';
import { subscribe } from './store.mjs';
import { terms_of } from './terms-runner.mjs';
import { white_score } from './uci.mjs';
import { explain_move } from './why.mjs';

export function start_review_runner()
{
    let engine = null;
    let run = null;        // the review running: { key, handle }
    let trying = null;     // the try being searched: its move
    const explaining = new Set();

    function engine_of(key)
    {
        engine ??= start_engine((status, error) => {
            engine?.terminate();
            engine = null;
            run = null;
            trying = null;
            review_failed(key, error ?? `status ${status}`);
        });
        return engine;
    }

    function review(state)
    {
        const { review: wanted } = state;
        if (run && (wanted?.key !== run.key || wanted.status !== 'running')) {
            run.handle.cancel();
            run = null;
        }
        if (wanted?.status !== 'running' || run)
            return;
        const { key } = wanted;
        let handle;
        try {
            handle = run_review(engine_of(key), state.game, wanted.depth, (ply, position) => review_position(key, ply, position));
        } catch (error) {
            review_failed(key, error.message);
            return;
        }
        run = { key, handle };
        handle.done.then(positions => {
            if (positions && run?.handle === handle) {
                run = null;
                review_finished(key);
            }
        });
    }

    // The judged move on the board, explained once the review is done.
    function explain(state)
    {
        const { review: done, game, view } = state;
        if (done?.status !== 'done' || view === 0 || done.why[view] || !judgement_at(game, done, view))
            return;
        const asked = `${done.key}#${view}`;
        if (explaining.has(asked))
            return;
        explaining.add(asked);
        explain_move(game, done, view, terms_of).then(why => review_explained(done.key, view, why ?? { short: true }),
                                                      () => review_explained(done.key, view, { short: true }));
    }

    // A try is judged by the score of the position after it; where the other side then has one
    // legal move (the engine gives no score), by the position after that move.
    function judge_try(state)
    {
        const { learn, review: done } = state;
        if (learn?.status !== 'judging' || trying === learn.tried.uci || !done)
            return;
        const { uci } = learn.tried;
        trying = uci;
        const score_after = game => {
            const ply = game.moves.length;
            const end = game_end(game, ply);
            if (end) {
                trying = null;
                learn_judged(uci, end.result === '1/2-1/2' ? { cp: 0 } : { result: end.result });
                return;
            }
            let last = null;
            engine_of(done.key).search(position_command(game, ply), `go depth ${done.depth}`, {
                on_info: words => { last = white_score(words, side_to_move(game.fens[ply])) ?? last; },
                on_done: words => {
                    const forced = !last && words[1] ? extend_game(game, words[1]) : null;
                    if (forced)
                        return score_after(forced);
                    trying = null;
                    learn_judged(uci, last ?? { cp: 0 });
                },
            });
        };
        score_after(learn.tried.game);
    }

    subscribe(state => {
        review(state);
        explain(state);
        judge_try(state);
    });
}

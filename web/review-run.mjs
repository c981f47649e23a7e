// A review's searches: one engine, started afresh for the game ("ucinewgame"), searches every
// position of the game, first to last, to the review's depth; a position where the game is over
// gets the rules' score without a search. The same commands in the same order give the same
// review in a browser, under node and natively: a review is a function of the game, the depth and
// the engine's Hash size alone. engine is a UCI client (uci.mjs).
import { extend_game, game_end, position_command, side_to_move } from './game.mjs';
import { line_of, white_score } from './uci.mjs';

function end_score(game, ply)
{
    const end = game_end(game, ply);
    return !end ? null : end.result === '1/2-1/2' ? { cp: 0 } : { result: end.result };
}

// The search of the position at ply: { score, best, pv }, or { forced: true, best } when it has
// one legal move (the engine then answers at once, without a score).
function search_position(engine, game, ply, depth, running)
{
    return new Promise(done => {
        running.finish = done;  // a cancelled search answers nothing: cancel() ends the wait
        const turn = side_to_move(game.fens[ply]);
        let last = null;
        running.search = engine.search(position_command(game, ply), `go depth ${depth}`, {
            on_info(words)
            {
                const score = white_score(words, turn);
                if (score)
                    last = { score, pv: line_of(words) };
            },
            on_done(words)
            {
                const best = words[1] ?? null;
                done(last ? { ...last, best } : { score: null, best, pv: best ? [best] : [], forced: true });
            },
        });
    });
}

// The last position with one legal move has no position after it to lend a score: the position
// after its forced move is searched for it (and after that one's, while forced).
async function forced_end_score(engine, game, forced, depth, running)
{
    let line = game;
    for (let move = forced; move;) {
        line = extend_game(line, move);
        const ply = line.moves.length;
        const end = end_score(line, ply);
        if (end)
            return end;
        const found = await search_position(engine, line, ply, depth, running);
        if (!found || found.score)
            return found?.score ?? null;
        move = found.best;
    }
    return null;
}

// Runs the review; on_position(ply, position) gets each position as it is known (a forced move's
// position again once the position after it lends it its score). Returns { done, cancel() }:
// done resolves to the positions, or to null once cancelled.
export function run_review(engine, game, depth, on_position = () => {})
{
    const running = { search: null, finish: null, cancelled: false };
    const positions = [];
    const done = (async () => {
        engine.send('ucinewgame');
        for (let ply = 0; ply <= game.moves.length; ++ply) {
            const end = end_score(game, ply);
            const position = end ? { score: end, best: null, pv: [] } : await search_position(engine, game, ply, depth, running);
            if (running.cancelled)
                return null;
            if (ply === game.moves.length && position.forced)
                position.score = await forced_end_score(engine, game, position.best, depth, running);
            if (running.cancelled)
                return null;
            positions[ply] = position;
            on_position(ply, position);
            for (let before = ply - 1; before >= 0 && positions[before].forced && !positions[before].score; --before) {
                positions[before] = { ...positions[before], score: positions[before + 1].score };
                on_position(before, positions[before]);
            }
        }
        return positions;
    })();
    return {
        done,
        cancel()
        {
            running.cancelled = true;
            running.search?.cancel();
            running.finish?.(null);
        },
    };
}

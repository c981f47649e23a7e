// The evaluation explained for the page: the evaluation tool (terms-worker.mjs) asked for the
// terms of the position on the board whenever it changes, and for any position the review asks about.
import { show_terms } from './actions.mjs';
import { subscribe } from './store.mjs';
import { parse_terms } from './terms.mjs';

// explain(fen) resolves to the parsed terms of the latest position asked for; an earlier request
// still waiting when a later one comes resolves to null, and the worker drops it unexplained.
function start_explainer()
{
    const worker = new Worker(new URL('./terms-worker.mjs', import.meta.url), { type: 'module' });
    const pending = new Map();
    let latest = 0;
    worker.addEventListener('message', event => {
        const { id, lines, error } = event.data;
        const done = pending.get(id);
        pending.delete(id);
        done?.(id === latest && lines && !error ? parse_terms(lines) : null);
    });
    return {
        explain(fen)
        {
            const id = ++latest;
            return new Promise(done => {
                pending.set(id, done);
                worker.postMessage({ id, fen });
            });
        },
    };
}

// Asks for the terms of the position on the board whenever it changes.
export function start_terms()
{
    const explainer = start_explainer();
    let asked = null;
    subscribe(state => {
        const fen = state.game.fens[state.view];
        if (fen === asked)
            return;
        asked = fen;
        explainer.explain(fen).then(explained => {
            if (explained)
                show_terms(fen, explained);
        });
    });
}

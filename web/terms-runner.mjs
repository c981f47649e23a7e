// The evaluation explained for the page: the evaluation tool (terms-worker.mjs) asked for the
// terms of the position on the board whenever it changes, and for any position the review asks about.
import { show_terms } from './actions.mjs';
import { subscribe } from './store.mjs';
import { parse_terms } from './terms.mjs';

// explain(fen) resolves to the parsed terms of the latest position asked for; an earlier request
// still waiting when a later one comes resolves to null, and the worker drops it unexplained.
// keep(fen) asks for a position that is never dropped.
function start_explainer()
{
    const worker = new Worker(new URL('./terms-worker.mjs', import.meta.url), { type: 'module' });
    const pending = new Map();
    let latest = 0;
    let next = 0;
    worker.addEventListener('message', event => {
        const { id, lines, error } = event.data;
        const asked = pending.get(id);
        pending.delete(id);
        asked?.done((asked.kept || id === latest) && lines && !error ? parse_terms(lines) : null);
    });
    const ask = (fen, kept) => new Promise(done => {
        const id = ++next;
        if (!kept)
            latest = id;
        pending.set(id, { done, kept });
        worker.postMessage({ id, fen, kept });
    });
    return { explain: fen => ask(fen, false), keep: fen => ask(fen, true) };
}

let explainer = null;

// The terms of any position, for the review's explanations.
export function terms_of(fen)
{
    explainer ??= start_explainer();
    return explainer.keep(fen);
}

// Asks for the terms of the position on the board whenever it changes.
export function start_terms()
{
    explainer ??= start_explainer();
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

// Korvane at the board: it plays its side when it is its move, or analyses the position shown
// ("go infinite") while the page is visible, and its thinking is shown as it comes. It follows
// the state: a search the state no longer wants is stopped, and the first search of a new or
// loaded game starts the engine afresh ("ucinewgame").
import { korvane_moved, show_thinking } from './actions.mjs';
import { game_end, line_sans, position_command, side_to_move } from './game.mjs';
import { level_of } from './levels.mjs';
import { game_is_over, last_ply, subscribe } from './store.mjs';
import { line_of, white_score } from './uci.mjs';

// The search the state wants now, or null.
function wanted_search(state)
{
    if (state.engine !== 'ready')
        return null;
    if (state.mode === 'analyse')
        return state.visible && !game_end(state.game, state.view) ? { kind: 'analyse', ply: state.view, go: 'go infinite' } : null;
    const last = last_ply(state);
    if (game_is_over(state) || side_to_move(state.game.fens[last]) === state.person)
        return null;
    return { kind: 'play', ply: last, go: level_of(state.level).go };
}

export function start_opponent(engine)
{
    let current = null;     // the search running: { key, search }
    let generation = null;  // the game the engine was last started for

    subscribe(state => {
        const wanted = wanted_search(state);
        const position = wanted ? position_command(state.game, wanted.ply) : null;
        const key = wanted ? `${state.generation}|${wanted.kind}|${position}|${wanted.go}` : null;
        if ((current?.key ?? null) === key)
            return;
        current?.search.cancel();
        current = null;
        if (!wanted)
            return;
        if (generation !== null && generation !== state.generation)
            engine.send('ucinewgame');
        generation = state.generation;
        const fen = state.game.fens[wanted.ply];
        const thinking = { fen, generation, depth: null, score: null, line: '' };
        const search = engine.search(position, wanted.go, {
            on_info(words)
            {
                const score = white_score(words, side_to_move(fen));
                const line = line_of(words);
                if (score && line.length)
                    show_thinking({ ...thinking, depth: Number(words[words.indexOf('depth') + 1]), score, line: line_sans(fen, line).join(' ') });
            },
            on_done(words)
            {
                if (wanted.kind !== 'play')
                    return;
                current = null;
                korvane_moved(fen, words[1] ?? '');
            },
        });
        current = { key, search };
    });
}

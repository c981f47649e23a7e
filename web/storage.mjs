// What the page keeps across reloads: the game, the position shown, the mode, the level, the
// colours and the orientation, and the graph's scores, in the browser's local storage under one
// key, with a format version. Each entry is read on its own: one that cannot be read (a game that
// no longer replays, a level no longer offered) is dropped alone, and the rest is kept.
import { RESULTS, game_key, make_game } from './game.mjs';
import { LEVELS } from './levels.mjs';
import { checked_annotation } from './pgn.mjs';
import { subscribe } from './store.mjs';
import { checked_fen } from './texts.mjs';

const KEY = 'korvane-page';
const VERSION = 2;
// The first format had no version and kept the level as its place in the list of that time.
const LEVELS_OF_FIRST_FORMAT = ['beginner', 'novice', 'improver', 'club', 'strong-club', 'expert', 'master', 'full'];
const SAVE_DELAY_MS = 250;  // steps through a game are saved once they pause

const colour_of = value => (value === 'w' || value === 'b' ? value : undefined);

// A score of the graph as the page keeps it: none yet, a forced move's, or a score.
function score_is_kept(score)
{
    return score === null || (typeof score === 'object' && (score.pending === true || Number.isFinite(score.cp) ||
                                                            Number.isFinite(score.mate) || RESULTS.includes(score.result)));
}

// Each entry of the stored record, checked: what it gives the state, or nothing.
function game_of(saved)
{
    const record = saved.version === VERSION ? saved.game : saved;
    const start = checked_fen(typeof record?.start_fen === 'string' ? record.start_fen : '');
    const moves = Array.isArray(record?.moves) ? record.moves.map(String) : null;
    const tags = record?.tags && typeof record.tags === 'object' ? Object.fromEntries(Object.entries(record.tags).map(([k, v]) => [k, String(v)])) : {};
    const annotations = Array.isArray(record?.annotations) ? record.annotations.map(checked_annotation) : [];
    const game = start.fen && moves ? make_game(start.fen, moves, tags, { annotations, preface: checked_annotation(record?.preface) }) : null;
    if (!game)
        return {};
    const view = Number.isInteger(saved.view) ? Math.max(0, Math.min(saved.view, game.moves.length)) : game.moves.length;
    const graph = saved.graph && saved.graph.key === game_key(game) && Array.isArray(saved.graph.scores) &&
                  saved.graph.scores.length === game.moves.length + 1 && saved.graph.scores.every(score_is_kept) ?
        { key: saved.graph.key, scores: saved.graph.scores } : null;
    return { game, view, graph: graph ? { ...graph, status: graph.scores.includes(null) ? 'running' : 'done', error: null } : null };
}

function level_of_saved(saved)
{
    const id = saved.version === VERSION ? saved.level : LEVELS_OF_FIRST_FORMAT[saved.level];
    return LEVELS.some(level => level.id === id) ? { level: id } : {};
}

export function read_stored(storage = globalThis.localStorage)
{
    try {
        return kept_of(JSON.parse(storage.getItem(KEY) ?? 'null'));
    } catch {
        return {};  // unreadable as a whole, or the storage forbidden: the page starts afresh
    }
}

function kept_of(saved)
{
    if (!saved || typeof saved !== 'object')
        return {};
    const first = saved.version === undefined;
    const safely = read => {
        try {
            return read(saved);
        } catch {
            return {};
        }
    };
    const kept = { ...safely(game_of), ...safely(level_of_saved) };
    const person = colour_of(saved.person);
    const colour = colour_of(first ? saved.person : saved.colour);
    if (person)
        kept.person = person;
    if (colour)
        kept.colour = colour;
    if (saved.korvane_side === null || colour_of(saved.korvane_side))
        kept.korvane_side = saved.korvane_side;
    const orientation = first ? { white: 'w', black: 'b' }[saved.orientation] : colour_of(saved.orientation);
    if (orientation)
        kept.orientation = orientation;
    if (saved.mode === 'play' || saved.mode === 'analyse')
        kept.mode = saved.mode;
    return kept;
}

function record_of(state)
{
    const { game, graph } = state;
    return {
        version: VERSION,
        game: { start_fen: game.start_fen, moves: game.moves, tags: game.tags, annotations: game.annotations, preface: game.preface },
        view: state.view, mode: state.mode,
        colour: state.colour, person: state.person, korvane_side: state.korvane_side, level: state.level, orientation: state.orientation,
        graph: graph ? { key: graph.key, scores: graph.scores } : null,
    };
}

const KEPT = ['game', 'view', 'mode', 'colour', 'person', 'korvane_side', 'level', 'orientation', 'graph'];

export function start_storage(storage = globalThis.localStorage)
{
    let saved = null;  // the fields last saved
    let timer = null;
    let latest = null;
    const save = () => {
        timer = null;
        try {
            storage.setItem(KEY, JSON.stringify(record_of(latest)));
        } catch {
            // Storage full or forbidden: the page works on, without surviving a reload.
        }
    };
    subscribe(state => {
        if (saved && KEPT.every(field => saved[field] === state[field]))
            return;
        const first = saved === null;  // what the page started with is what was kept
        saved = Object.fromEntries(KEPT.map(field => [field, state[field]]));
        latest = state;
        if (!first)
            timer ??= setTimeout(save, SAVE_DELAY_MS);
    });
    // A page closed before the delay is saved at once.
    addEventListener('pagehide', () => {
        if (timer !== null) {
            clearTimeout(timer);
            save();
        }
    });
}

// Everything that changes the page's state, one function each. The controls, the board and the
// runners of the engines call these; nothing else assigns the state (store.mjs).
import { START_FEN, cut_game, extend_game, game_key, game_result, make_game, side_to_move } from './game.mjs';
import { NO_GRAPH, graph_for } from './graph-ctrl.mjs';
import { level_text } from './levels.mjs';
import { game_title, pgn_games, read_game } from './pgn.mjs';
import { learn_try, review_loaded } from './review-ctrl.mjs';
import { review_from_annotations } from './review.mjs';
import { game_is_over, last_ply, person_may_move, state, update } from './store.mjs';
import { checked_fen, pgn_date, spoken_san, typed_move } from './texts.mjs';

const other = colour => (colour === 'w' ? 'b' : 'w');
// Each announcement is new, also when its words are the last one's (a move taken back and played again).
const announced = text => ({ text, number: (state.announcement?.number ?? 0) + 1 });
const korvane_name = level => `Korvane (${level_text(level)})`;

function new_tags(person)
{
    return {
        Event: 'Casual game', Site: globalThis.location?.host || 'Korvane in the browser', Date: pgn_date(), Round: '-',
        White: person === 'w' ? 'You' : korvane_name(state.level), Black: person === 'w' ? korvane_name(state.level) : 'You', Result: '*',
    };
}

// ---- The game ----

// The game replaced, grown or cut. A change of its moves makes a result it was given "*"; a game
// played against Korvane that has just ended gets its graph.
function change_game(game, view, changes = {})
{
    const old = state.game;
    const rewritten = old.moves.length !== game.moves.length || old.moves.some((move, ply) => move !== game.moves[ply]);
    if (rewritten && changes.generation === undefined && game.tags.Result && game.tags.Result !== '*')
        game = { ...game, tags: { ...game.tags, Result: '*' } };
    const ended_now = !game_is_over(state) && game_result(game) !== '*' && state.mode === 'play';
    // A review belongs to its game; trying moves again ends with any change of the game.
    const review = state.review?.key === game_key(game) ? state.review : null;
    update({ review, learn: null, ...changes, game, view: Math.max(0, Math.min(view, game.moves.length)) });
    const graph = state.graph ?? (ended_now ? NO_GRAPH : null);
    if (graph)
        update({ graph: graph_for(game, graph) });
}

export function show_ply(ply)
{
    if (state.learn)
        return;  // the board keeps to the move to improve on
    update({ view: Math.max(0, Math.min(ply, last_ply(state))) });
}

// The person's move from the position shown: in analysis from any position (the rest of the
// game gives way to it, unless it is the game's own next move), in play from the game's last.
export function play_move(uci)
{
    if (state.learn)
        return learn_try(uci);
    const { game, view } = state;
    const mover = state.mode === 'play' ? 'You' : side_to_move(game.fens[view]) === 'w' ? 'White' : 'Black';
    if (game.moves[view] === uci) {
        update({ view: view + 1, move_message: null, announcement: announced(`${mover} played ${spoken_san(game.sans[view])}.`) });
        return true;
    }
    const next = extend_game(cut_game(game, view), uci);
    if (!next)
        return false;
    change_game(next, view + 1, { announcement: announced(`${mover} played ${spoken_san(next.sans.at(-1))}.`), move_message: null });
    return true;
}

// A move typed by the person, as SAN or coordinates.
export function play_typed(text)
{
    const may = person_may_move(state);
    const fen = state.game.fens[state.view];
    const uci = may ? typed_move(fen, text) : null;
    if (uci && (may === 'any' || may === side_to_move(fen)) && play_move(uci))
        return;
    const typed = String(text).trim();
    const promotion = /^[a-h][27]-?[a-h][18]$/.test(typed) ? ` Say the piece too: ${typed}q, or ${typed.slice(-2)}=Q.` : '';
    const why = !may ? page_waits() : `"${typed}" is not a legal move here.${promotion}`;
    update({ move_message: { text: why, failed: true } });
}

function page_waits()
{
    if (state.engine !== 'ready')
        return 'Korvane is not ready.';
    if (state.mode === 'play' && state.view !== last_ply(state))
        return 'Go to the last move to play on (End).';
    if (state.mode === 'analyse')
        return 'The game ends here: step back to try other moves.';
    return game_is_over(state) ? 'The game is over: choose "analyses" to try moves.' : 'Wait for Korvane\'s move.';
}

// Korvane's move in the position fen, which must still be the game's last.
export function korvane_moved(fen, uci)
{
    const { game } = state;
    if (state.mode !== 'play' || game.fens.at(-1) !== fen)
        return;
    const next = extend_game(game, uci);
    if (!next) {
        update({ engine: 'failed', engine_error: `Korvane answered an illegal move, ${uci}: the game stops here.` });
        return;
    }
    const view = state.view === game.moves.length ? next.moves.length : state.view;
    change_game(next, view, { announcement: announced(`Korvane played ${spoken_san(next.sans.at(-1))}.`) });
}

// Takes back the person's last move and Korvane's answer to it, if any, or the person's move
// that Korvane is thinking about; in analysis, the game's last move.
export function take_back()
{
    const { game, person } = state;
    const keep = state.mode === 'play' ? game.moves.findLastIndex((move, ply) => side_to_move(game.fens[ply]) === person) :
                                         game.moves.length - 1;
    if (keep >= 0)
        change_game(cut_game(game, keep), keep, { thinking: null });
}

export function new_game()
{
    const person = state.colour;
    change_game(make_game(START_FEN, [], new_tags(person)), 0, {
        generation: state.generation + 1, mode: 'play', person, korvane_side: other(person), orientation: person,
        graph: null, thinking: null, choices: null, message: null,
    });
}

// A game or position loaded: the person plays the colour chosen, Korvane the other side.
function load_game(game, text, korvane_side, graph, review = null)
{
    change_game(game, game.moves.length, {
        generation: state.generation + 1, person: state.colour, orientation: state.colour, korvane_side, graph, review, thinking: null,
        choices: null, message: { text, failed: false },
    });
}

function load_read(read)
{
    if (read.error) {
        update({ message: { text: read.error, failed: true } });
        return;
    }
    const moves = read.game.moves.length;
    const number = Math.ceil(moves / 2);
    // A reviewed game's review comes with it, from its evaluations, NAGs and lines.
    const depth = Number(read.game.tags.Annotator?.match(/^Korvane, depth (\d+)$/)?.[1]) || null;
    const review = review_loaded(read.game, review_from_annotations(read.game, depth));
    const text = moves === 0 ? 'Loaded a game with no moves.' :
                 `Loaded the game: ${number} move${number === 1 ? '' : 's'}${review ? ', with its review' : ''}.`;
    load_game(read.game, text, null, moves > 0 && !review ? graph_for(read.game, NO_GRAPH) : null, review);
}

export async function load_pgn(text)
{
    const listed = await pgn_games(text);
    if (listed.error)
        update({ message: { text: listed.error, failed: true } });
    else if (listed.games.length === 1)
        load_read(await read_game(listed.games[0]));
    else
        update({ choices: listed.games, message: { text: `This PGN holds ${listed.games.length} games: pick one below.`, failed: false } });
}

export async function pick_game(index)
{
    const entry = state.choices?.[index];
    if (!entry)
        return;
    const read = await read_game(entry);
    load_read(read);
    if (!read.error)
        update({ message: { text: `Loaded ${game_title(entry.tags)}.`, failed: false } });
}

export function load_fen(text)
{
    const checked = checked_fen(text);
    if (checked.error)
        update({ message: { text: checked.error, failed: true } });
    else
        load_game(make_game(checked.fen, [], new_tags(state.colour)), 'Loaded the position.', other(state.colour), null);
}

export function show_message(text, failed)
{
    update({ message: { text, failed } });
}

// ---- Settings ----

export function set_level(id)
{
    const { game, korvane_side } = state;
    update({ level: id });
    if (korvane_side && game.tags.Event === 'Casual game')
        update({ game: { ...game, tags: { ...game.tags, [korvane_side === 'w' ? 'White' : 'Black']: korvane_name(id) } } });
}

export function set_mode(mode)
{
    // Play goes on from the game's last position; what Korvane thought in the other mode goes.
    update({ mode, view: mode === 'play' ? last_ply(state) : state.view, thinking: mode === state.mode ? state.thinking : null });
}

export function set_colour(colour)
{
    update({ colour });
}

export function flip()
{
    update({ orientation: other(state.orientation) });
}

// ---- What the engines and the browser report ----

export function engine_ready()
{
    update({ engine: 'ready' });
}

export function engine_failed(error)
{
    update({ engine: 'failed', engine_error: error });
}

export function show_thinking(thinking)
{
    update({ thinking });
}

export function show_terms(fen, explained)
{
    update({ terms: { fen, explained } });
}

export function set_visible(visible)
{
    update({ visible });
}

export function version_waiting()
{
    update({ update_ready: true });
}

// What the page kept across a reload (storage.mjs), each entry checked there; a game not begun
// gets its tags.
export function restore(kept)
{
    update(kept);
    if (state.game.moves.length === 0 && !state.game.tags.Event)
        update({ game: { ...state.game, tags: new_tags(state.person) } });
}

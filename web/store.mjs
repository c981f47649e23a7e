// The page's one state, and the one way it changes. Actions (actions.mjs) assign fields of the
// state; once an action is over, every subscriber (the views, the runners of the engines, the
// storage) is called once with the state and draws or does what it shows. Fields are replaced,
// never changed in place, so a subscriber tells what changed by comparing with what it saw last.
import { START_FEN, game_end, game_key, game_result, make_game, side_to_move } from './game.mjs';
import { DEFAULT_LEVEL } from './levels.mjs';
import { REVIEW_DEPTH } from './review.mjs';

export const state = {
    game: make_game(START_FEN),  // the record (game.mjs)
    generation: 0,               // counts new and loaded games: a new one starts the engine afresh
    view: 0,                     // the ply on the board
    mode: 'play',                // Korvane plays against the person ('play') or analyses ('analyse')
    colour: 'w',                 // the colour the person chose, for the next game
    person: 'w',                 // the colour the person plays in this game
    korvane_side: 'b',           // the side Korvane plays in a game of this page; null in a loaded one
    level: DEFAULT_LEVEL,        // a level's id (levels.mjs)
    orientation: 'w',            // the colour at the bottom of the board
    engine: 'loading',           // Korvane: 'loading', 'ready' or 'failed'
    engine_error: null,
    thinking: null,              // Korvane's latest search: { fen, depth, score, line }
    graph: null,                 // the evaluation graph: { key, scores, status, error }
    review: null,                // the review of the game: { key, depth, status, positions, judged, from_pgn, error, why }
    review_depth: REVIEW_DEPTH,  // the depth of the next review
    learn: null,                 // "learn from your mistakes": { side, plies, at, status, try, solution, results }
    terms: null,                 // the evaluation by term: { fen, explained }
    message: null,               // what came of the latest load: { text, failed }
    choices: null,               // the games of a PGN file of several, to pick one: [{ text, tags }]
    move_message: null,          // what came of a typed move: { text, failed }
    announcement: null,          // the latest move in words, for screen readers: { text, number }
    visible: true,               // a hidden tab pauses the analysis
    update_ready: false,         // a new version of the page waits for a reload
};

const subscribers = [];
let scheduled = false;

export function subscribe(subscriber)
{
    subscribers.push(subscriber);
}

function notify()
{
    scheduled = false;
    for (const subscriber of subscribers) {
        try {
            subscriber(state);
        } catch (error) {
            console.error(error);  // one view's fault leaves the others drawn
        }
    }
}

export function update(changes)
{
    Object.assign(state, changes);
    if (!scheduled) {
        scheduled = true;
        queueMicrotask(notify);
    }
}

// ---- What follows from the state, for the views and the runners ----

export function last_ply(state_)
{
    return state_.game.moves.length;
}

export function game_is_over(state_)
{
    return game_result(state_.game) !== '*';
}

// Whether the person may move on the board now, and with which colour: 'w', 'b', 'any' or null.
export function person_may_move(state_)
{
    if (state_.engine !== 'ready')
        return null;
    if (state_.learn)
        return ['asking', 'bad'].includes(state_.learn.status) ? state_.learn.side : null;
    if (state_.mode === 'analyse')
        return game_end(state_.game, state_.view) ? null : 'any';
    const last = last_ply(state_);
    if (state_.view !== last || game_is_over(state_) || side_to_move(state_.game.fens[last]) !== state_.person)
        return null;
    return state_.person;
}

// What the board shows: the position of the ply shown, or in "learn from your mistakes" the
// person's try while it is judged and once it is good; and the move that led there.
export function board_position(state_)
{
    const tried = state_.learn?.tried;
    if (tried && ['judging', 'good'].includes(state_.learn.status))
        return { fen: tried.fen, move: tried.uci };
    return { fen: state_.game.fens[state_.view], move: state_.game.moves[state_.view - 1] ?? null };
}

// The review of the game shown, or null (actions drop a review when the game's moves change; a
// view asks here, never checks it again).
export function game_review(state_)
{
    return state_.review?.key === game_key(state_.game) ? state_.review : null;
}

// The page's state in one word, which the body shows as data-state: "loading", "person" (the
// person's move), "engine" (Korvane thinks), "over", "review" (an earlier position shown while
// playing), "analysis" or "learn" (the person looks for better moves than the game's).
export function page_state(state_)
{
    if (state_.engine === 'failed')
        return 'over';
    if (state_.engine !== 'ready')
        return 'loading';
    if (state_.learn)
        return 'learn';
    if (state_.mode === 'analyse')
        return 'analysis';
    const last = last_ply(state_);
    if (state_.view !== last)
        return 'review';
    if (game_is_over(state_))
        return 'over';
    return side_to_move(state_.game.fens[last]) === state_.person ? 'person' : 'engine';
}

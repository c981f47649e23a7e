// Korvane's thinking (depth, score, line), the evaluation bar beside the board, the status line,
// the words a screen reader hears about each move, and the page's facts for tests and curious
// readers on the body: data-fen (the position shown), data-moves (the game's moves as the engine
// reads them), data-view (the ply shown), data-mode and data-thinking-fen (the position the
// thinking shown is about).
import { game_end, game_result, in_check, move_label, result_text, side_to_move } from './game.mjs';
import { last_ply, subscribe } from './store.mjs';
import { score_fraction, score_text } from './uci.mjs';

const element = id => document.getElementById(id);

// The thinking that belongs to the board: in analysis, the one of the position shown; in play,
// Korvane's latest, of the game's last position or of the one it has just moved from.
function thinking_shown(state)
{
    const { thinking, game, view } = state;
    if (!thinking?.score || thinking.generation !== state.generation || state.learn)
        return null;
    if (state.mode === 'analyse')
        return thinking.fen === game.fens[view] ? thinking : null;
    const last = last_ply(state);
    return thinking.fen === game.fens[last] || thinking.fen === game.fens[last - 1] ? thinking : null;
}

// The score the bar shows: the thinking of the position shown, in play Korvane's latest near the
// end of the game, else the graph's score of the position.
function bar_score(state, thinking)
{
    if (state.learn)
        return null;  // the person looks for the move alone
    if (thinking && (thinking.fen === state.game.fens[state.view] || (state.mode === 'play' && state.view >= last_ply(state) - 1)))
        return thinking.score;
    return state.graph?.scores[state.view]?.pending ? null : state.graph?.scores[state.view] ?? null;
}

const LEARNING = {
    asking: 'Your move: find a better one than the game\'s.', bad: 'Your move: find a better one than the game\'s.',
    judging: 'Korvane looks at your move…', good: 'Press "Next" for the next move.', solution: 'Press "Next" for the next move.',
    done: 'Learning from the mistakes is over.',
};

function status_text(state)
{
    const { game, view } = state;
    const last = last_ply(state);
    if (state.engine === 'failed')
        return state.engine_error;
    if (state.engine !== 'ready')
        return 'Starting Korvane…';
    if (state.learn)
        return LEARNING[state.learn.status];
    const end = game_end(game, view);
    if (state.mode === 'analyse')
        return end ? `${end.text} Step back to analyse an earlier position.` :
                     'Korvane analyses the position on the board; move any piece to try a line.';
    if (view !== last) {
        const shown = view === 0 ? 'The start is shown' : `After ${move_label(game, view)}`;
        return `${shown}; the game is at ${move_label(game, last)}: press → or » to return to it.`;
    }
    const result = game_result(game);
    if (end && end.result !== '1/2-1/2' && state.korvane_side)
        return end.result === (state.person === 'w' ? '1-0' : '0-1') ? 'Checkmate: you win!' : 'Checkmate: Korvane wins.';
    if (end)
        return end.text;
    if (result !== '*')
        return `The game ended ${result}: ${result_text(result)}. Choose "analyses" to look at it, or start a new game.`;
    const check = in_check(game.fens[last]) ? 'Check! ' : '';
    return check + (side_to_move(game.fens[last]) === state.person ? 'Your move.' : 'Korvane is thinking…');
}

let shown_moves = null;
let shown_announcement = null;

export function start_panel_view()
{
    subscribe(state => {
        const thinking = thinking_shown(state);
        element('depth').textContent = thinking?.depth ?? '–';
        element('score').textContent = thinking ? score_text(thinking.score) : '–';
        element('line').textContent = thinking?.line || '–';
        element('thinking-title').textContent = state.mode === 'analyse' ? 'Analysis' : "Korvane's thinking";

        const score = bar_score(state, thinking);
        const fraction = score ? score_fraction(score) : 0;
        element('eval-fill').style.height = `${(((1 + fraction) / 2) * 100).toFixed(1)}%`;
        const bar = element('eval-bar');
        bar.classList.toggle('black-bottom', state.orientation === 'b');
        bar.setAttribute('aria-label', score ? `Evaluation: ${score_text(score)}, from White's view` : 'No evaluation yet');
        element('eval-text').textContent = score ? score_text(score) : '';

        element('status').textContent = status_text(state);
        element('update').hidden = !state.update_ready;
        if (state.announcement && state.announcement !== shown_announcement)
            element('announce').textContent = (shown_announcement = state.announcement).text;

        const body = document.body.dataset;
        body.fen = state.game.fens[state.view];
        body.view = String(state.view);
        body.mode = state.mode;
        body.thinkingFen = thinking?.fen ?? '';
        if (state.game.moves !== shown_moves)
            body.moves = (shown_moves = state.game.moves).join(' ');
    });
}

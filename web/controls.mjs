// The page's controls: each click, key or choice becomes an action (actions.mjs), and each control
// shows the setting it holds. The board's own input is board-input.mjs.
import * as act from './actions.mjs';
import { want_graph } from './graph-ctrl.mjs';
import { LEVELS, level_text } from './levels.mjs';
import { take_new_version } from './offline.mjs';
import { learn_next, learn_solution, set_review_depth, start_learn, start_review, stop_learn } from './review-ctrl.mjs';
import { last_ply, state, subscribe } from './store.mjs';
import { pgn_date } from './texts.mjs';

const element = id => document.getElementById(id);
const on = (id, type, handler) => element(id).addEventListener(type, handler);
const LARGEST_FILE = 4 * 1024 * 1024;

function fill_levels()
{
    for (const level of LEVELS) {
        const option = document.createElement('option');
        option.value = level.id;
        option.textContent = level_text(level.id);
        option.dataset.go = level.go;
        element('level').append(option);
    }
}

function show_controls(state_)
{
    element('mode-play').checked = state_.mode === 'play';
    element('mode-analyse').checked = state_.mode === 'analyse';
    element('level').value = state_.level;
    element('colour').value = state_.colour;
    element('take-back').disabled = last_ply(state_) === 0;
    element('first').disabled = element('back').disabled = state_.view === 0;
    element('forward').disabled = element('last').disabled = state_.view === last_ply(state_);
}

// ← → Home End step through the game, "/" goes to the move field; not while a field, a list or
// the board (whose arrow keys choose squares) has the keys.
function on_key(event)
{
    if (event.target?.closest?.('input, textarea, select, #board svg') || event.altKey || event.ctrlKey || event.metaKey)
        return;
    if (event.key === '/') {
        event.preventDefault();
        element('move-input').focus();
        return;
    }
    const to = { ArrowLeft: state.view - 1, ArrowRight: state.view + 1, Home: 0, End: last_ply(state) }[event.key];
    if (to !== undefined) {
        event.preventDefault();
        act.show_ply(to);
    }
}

async function copy_pgn()
{
    try {
        await navigator.clipboard.writeText(element('pgn-out').value);
        act.show_message('The PGN is on the clipboard.', false);
    } catch {
        element('pgn-out').select();
        act.show_message('Copying was refused by the browser: the PGN is selected, copy it with Ctrl+C.', true);
    }
}

function download_pgn()
{
    const blob = new Blob([element('pgn-out').value], { type: 'application/x-chess-pgn' });
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = `korvane-${(state.game.tags.Date ?? pgn_date()).replace(/[^0-9]/g, '-').replace(/-+$/, '')}.pgn`;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

async function open_file()
{
    const file = element('pgn-file').files[0];
    if (!file)
        return;
    const text = file.size > LARGEST_FILE ? '' : await file.text();
    if (!text) {
        act.show_message('This file is empty or larger than 4 MB.', true);
        return;
    }
    element('pgn-in').value = text;
    act.load_pgn(text);
}

export function start_controls()
{
    fill_levels();
    subscribe(show_controls);
    on('new-game', 'click', act.new_game);
    on('take-back', 'click', act.take_back);
    on('flip', 'click', act.flip);
    on('mode-play', 'change', () => act.set_mode('play'));
    on('mode-analyse', 'change', () => act.set_mode('analyse'));
    on('level', 'change', () => act.set_level(element('level').value));
    on('colour', 'change', () => act.set_colour(element('colour').value === 'b' ? 'b' : 'w'));
    on('first', 'click', () => act.show_ply(0));
    on('back', 'click', () => act.show_ply(state.view - 1));
    on('forward', 'click', () => act.show_ply(state.view + 1));
    on('last', 'click', () => act.show_ply(last_ply(state)));
    on('moves', 'click', event => {
        const ply = event.target.closest?.('.move')?.dataset.ply;
        if (ply)
            act.show_ply(Number(ply));
    });
    on('graph', 'click', event => {
        const marked = event.target.closest?.('[data-ply]')?.dataset.ply;
        if (marked) {
            act.show_ply(Number(marked));
            return;
        }
        const box = element('graph').getBoundingClientRect();
        const count = state.game.moves.length + 1;  // the graph has a point for every position of the game
        if (box.width > 0 && count > 0)
            act.show_ply(Math.round(((event.clientX - box.left) / box.width) * Math.max(count - 1, 1)));
    });
    on('make-graph', 'click', want_graph);
    on('review', 'click', start_review);
    on('review-depth', 'change', () => set_review_depth(Number(element('review-depth').value)));
    on('learn-w', 'click', () => start_learn('w'));
    on('learn-b', 'click', () => start_learn('b'));
    on('learn-solution', 'click', learn_solution);
    on('learn-next', 'click', learn_next);
    on('learn-stop', 'click', stop_learn);
    on('move-form', 'submit', event => {
        event.preventDefault();
        act.play_typed(element('move-input').value);
        if (!state.move_message?.failed)
            element('move-input').value = '';
    });
    on('copy-pgn', 'click', copy_pgn);
    on('download-pgn', 'click', download_pgn);
    on('load-pgn', 'click', () => act.load_pgn(element('pgn-in').value));
    on('load-fen', 'click', () => act.load_fen(element('fen-in').value));
    on('pgn-file', 'change', open_file);
    on('reload', 'click', take_new_version);
    on('game-list', 'click', event => {
        const index = event.target.closest?.('button')?.dataset.index;
        if (index !== undefined)
            act.pick_game(Number(index));
    });
    document.addEventListener('keydown', on_key);
    document.addEventListener('visibilitychange', () => act.set_visible(document.visibilityState !== 'hidden'));
}

// The moves as a score sheet: one row per move number, White's move and Black's beside it. A move
// played is appended, and a step only moves the highlight: the list is redrawn from the first
// move that differs from what it shows, never as a whole.
import { move_number } from './game.mjs';
import { judgement_at, judgement_of } from './review.mjs';
import { game_review, subscribe } from './store.mjs';

const list = document.getElementById('moves');
let shown = { start: null, moves: [] };  // the game the list shows
let buttons = [];                        // the list's moves, [ply - 1]
let current = null;                      // the highlighted move

function first_difference(game)
{
    if (game.start_fen !== shown.start)
        return 0;
    let ply = 0;
    while (ply < shown.moves.length && ply < game.moves.length && shown.moves[ply] === game.moves[ply])
        ++ply;
    return ply;
}

function draw_moves(game)
{
    const kept = first_difference(game);
    for (const button of buttons.splice(kept)) {
        const row = button.parentElement;
        button.remove();
        if (!row.querySelector('.move'))
            row.remove();
    }
    for (let ply = kept + 1; ply <= game.moves.length; ++ply) {
        const number = move_number(game, ply);
        const black = number.endsWith('…');
        if (!black || ply === 1) {
            const row = document.createElement('li');
            const label = document.createElement('span');
            label.className = 'number';
            label.textContent = number.replace('…', '.');
            row.append(label);
            if (black)
                row.append(document.createElement('span'));
            list.append(row);
        }
        const button = document.createElement('button');
        button.type = 'button';
        button.className = 'move';
        button.textContent = game.sans[ply - 1];
        button.dataset.ply = String(ply);
        button.setAttribute('aria-label', `${number} ${game.sans[ply - 1]}`);
        list.lastElementChild.append(button);
        buttons.push(button);
    }
    shown = { start: game.start_fen, moves: game.moves };
}

function highlight(view)
{
    const button = buttons[view - 1] ?? null;
    if (button === current)
        return;
    current?.removeAttribute('aria-current');
    current = button;
    if (button) {
        button.setAttribute('aria-current', 'true');
        // Scrolled when the frame is drawn, where the list is laid out anyway: not in the middle
        // of the other views' drawing, which would lay out the page twice.
        if (!scroll_asked)
            requestAnimationFrame(scroll_to_current);
        scroll_asked = true;
    }
}

let scroll_asked = false;
function scroll_to_current()
{
    scroll_asked = false;
    if (current)
        list.scrollTop = Math.max(0, current.offsetTop - list.clientHeight / 2);
}

// A review's judgements beside the moves: "Nf6??", in the judgement's colour.
function mark_moves(game, review)
{
    buttons.forEach((button, i) => {
        const judged = review ? judgement_at(game, review, i + 1) : null;
        const judgement = judged ? judgement_of(judged.id) : null;
        button.textContent = game.sans[i] + (judgement?.mark ?? '');
        button.dataset.judged = judged?.id ?? '';
        button.setAttribute('aria-label', `${move_number(game, i + 1)} ${game.sans[i]}${judgement ? `, ${judgement.name.toLowerCase()}` : ''}`);
    });
}

export function start_moves_view()
{
    let marked = { game: null, review: null };
    subscribe(state => {
        if (state.game.moves !== shown.moves || state.game.start_fen !== shown.start) {
            draw_moves(state.game);
            current = null;
            for (const button of list.querySelectorAll('[aria-current]'))
                button.removeAttribute('aria-current');
        }
        const review = game_review(state);
        // Without a review, drawing the moves named them already.
        if (marked.review !== review || (review && marked.game !== state.game))
            mark_moves(state.game, review);
        marked = { game: state.game, review };
        highlight(state.view);
    });
}

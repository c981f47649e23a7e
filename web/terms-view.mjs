// Korvane's static evaluation of the position on the board, term by term for White and for Black,
// each with what it means, and their sum, which is what the engine's evaluation returns. The
// table keeps its rows from the start, so that the page does not shift when the first answer comes.
import { side_to_move } from './game.mjs';
import { TERMS } from './terms.mjs';
import { subscribe } from './store.mjs';

const element = id => document.getElementById(id);
const cells = {};  // term: its three number cells

function draw_rows()
{
    const body = element('terms-body');
    for (const [term, [name, meaning]] of Object.entries(TERMS)) {
        const row = document.createElement('tr');
        row.dataset.term = term;
        const heading = document.createElement('th');
        heading.scope = 'row';
        heading.textContent = name;
        const note = document.createElement('div');
        note.className = 'meaning';
        note.textContent = meaning;
        heading.append(note);
        cells[term] = [0, 1, 2].map(() => document.createElement('td'));
        row.append(heading, ...cells[term]);
        body.append(row);
    }
}

function draw_terms(fen, explained)
{
    for (const row of explained.rows)
        cells[row.term]?.forEach((cell, column) => { cell.textContent = String([row.white, row.black, row.white - row.black][column]); });
    const white_view = explained.drawn ? 0 : explained.sum.white - explained.sum.black;
    element('terms-white').textContent = String(explained.sum.white);
    element('terms-black').textContent = String(explained.sum.black);
    element('terms-total').textContent = String(explained.sum.white - explained.sum.black);
    const notes = [`Phase: ${explained.phase}.`];
    if (explained.notes.some(note => note.startsWith('material halved')))
        notes.push('Opposite-coloured bishops: both sides\' material is halved.');
    if (explained.drawn)
        notes.push('No pawns, rooks or queens, and a side with a lone minor piece: Korvane scores this ending 0, a draw, whatever the terms.');
    element('terms-notes').textContent = notes.join(' ');
    const turn = side_to_move(fen) === 'w' ? 'White' : 'Black';
    element('terms-result').textContent = `Korvane's evaluation: ${white_view > 0 ? '+' : ''}${white_view} centipawns from White's view ` +
                                          `(${explained.score} for ${turn}, the side to move).`;
    element('terms').dataset.white = String(white_view);
    element('terms').dataset.score = String(explained.score);
    document.body.dataset.termsFen = fen;
}

export function start_terms_view()
{
    draw_rows();
    let shown = null;
    subscribe(state => {
        if (state.terms && state.terms !== shown && state.terms.fen === state.game.fens[state.view]) {
            shown = state.terms;
            draw_terms(shown.fen, shown.explained);
        }
    });
}

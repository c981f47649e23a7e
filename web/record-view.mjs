// The game record: the game's PGN (written only while the record is open, and once per change of
// the game), the FEN of the position shown, what came of the latest load, the games of a PGN file
// of several to pick from, and what came of a typed move.
import { write_pgn } from './pgn-out.mjs';
import { game_title } from './pgn.mjs';
import { review_annotations, review_tags } from './review.mjs';
import { game_review, state, subscribe } from './store.mjs';

const element = id => document.getElementById(id);
let shown = { game: null, review: null, choices: null, message: null, move_message: null };

// The game's PGN, with what its review adds once the review is done (a review read from the PGN
// is in its annotations already).
function pgn_of(state_)
{
    const { game } = state_;
    const review = game_review(state_);
    if (review?.status !== 'done' || review.from_pgn)
        return write_pgn(game);
    return write_pgn({ ...game, tags: { ...game.tags, ...review_tags(review) } }, review_annotations(game, review));
}

function draw_message(node, message)
{
    node.textContent = message?.text ?? '';
    node.classList.toggle('failed', Boolean(message?.failed));
}

function draw_choices(choices)
{
    const list = element('game-list');
    list.replaceChildren(...(choices ?? []).map((choice, index) => {
        const item = document.createElement('li');
        const button = document.createElement('button');
        button.type = 'button';
        button.dataset.index = String(index);
        button.textContent = game_title(choice.tags);
        item.append(button);
        return item;
    }));
    element('game-choices').hidden = !choices;
}

function draw_record(state_)
{
    if (element('record').open && (state_.game !== shown.game || state_.review !== shown.review)) {
        element('pgn-out').value = pgn_of(state_);
        shown.game = state_.game;
        shown.review = state_.review;
    }
    element('fen-out').value = state_.game.fens[state_.view];
    if (state_.message !== shown.message)
        draw_message(element('load-message'), shown.message = state_.message);
    if (state_.move_message !== shown.move_message)
        draw_message(element('move-message'), shown.move_message = state_.move_message);
    if (state_.choices !== shown.choices)
        draw_choices(shown.choices = state_.choices);
}

export function start_record_view()
{
    subscribe(draw_record);
    element('record').addEventListener('toggle', () => draw_record(state));
}

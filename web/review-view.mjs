// The review of the game: its progress, each side's figures, the verdict on the judged move shown
// with Korvane's best line and why, in the evaluation's terms; and "learn from your mistakes":
// the move to improve on, how the try went, and at the end how it all went.
import { move_label, numbered_line, side_to_move } from './game.mjs';
import { REVIEW_DEPTHS, best_line, judgement_at, judgement_of, review_summary } from './review.mjs';
import { game_review, page_state, subscribe } from './store.mjs';
import { score_text } from './uci.mjs';
import { pawns_text } from './why.mjs';

const element = id => document.getElementById(id);
const COLOURS = { w: 'White', b: 'Black' };

function fill_depths()
{
    for (const depth of REVIEW_DEPTHS) {
        const option = document.createElement('option');
        option.value = String(depth);
        option.textContent = String(depth);
        element('review-depth').append(option);
    }
}

function status_text(review)
{
    const known = review.positions.filter(Boolean).length;
    if (review.status === 'failed')
        return `Korvane's review stopped (${review.error}): press "Review the game" to try again.`;
    if (review.status === 'running')
        return `Reviewing the game at depth ${review.depth}: ${known} of ${review.positions.length} positions…`;
    return review.from_pgn ? 'The review of this game as its PGN gives it.' :
                             `Korvane's review at depth ${review.depth}: the marks in the moves and on the graph are its judgements.`;
}

function draw_summary(game, review)
{
    const summary = review.status === 'done' ? review_summary(game, review) : null;
    const table = element('review-summary');
    table.hidden = !summary;
    if (!summary)
        return;
    const round = value => (value === null ? '–' : String(Math.round(value)));
    for (const side of ['w', 'b']) {
        const figures = summary[side];
        const cells = element(`summary-${side}`).querySelectorAll('td');
        [figures.inaccuracies, figures.mistakes, figures.blunders, figures.accuracy === null ? '–' : `${round(figures.accuracy)}%`, round(figures.acpl)]
            .forEach((value, i) => { cells[i].textContent = String(value); });
    }
    // The review's scores (White's view) and best moves, for tests and curious readers.
    const score = position => Object.entries(position?.score ?? { none: '' })[0].join(' ');
    table.dataset.scores = review.positions.map(score).join(',');
    table.dataset.best = review.positions.map(position => position?.best ?? '-').join(' ');
}

function draw_why(why, review)
{
    const list = element('why');
    list.replaceChildren();
    let note = '';
    if (!why)
        note = review.from_pgn ? 'A PGN gives Korvane\'s best line, not its line after the move played: review the game to see why.' :
                                 'Korvane looks at why…';
    else if (why.sentence)
        note = why.sentence;
    else if (why.short)
        note = 'Korvane\'s lines are too short here to compare where they lead (a hit in its table can cut a line short): no explanation by terms.';
    else {
        for (const reason of why.reasons) {
            const item = document.createElement('li');
            item.dataset.term = reason.term;
            item.textContent = `${reason.name}: ${pawns_text(reason.cp)}${reason.detail ? ` (${reason.detail})` : ''}`;
            list.append(item);
        }
        note = `In all ${pawns_text(why.total)}: the static evaluations, from the mover's side, of where Korvane's line leads after ` +
               `the move played (${numbered_line(why.played.start, why.played.line) || 'no more moves'}) and after the best move ` +
               `(${numbered_line(why.best.start, why.best.line)}).`;
    }
    element('why-note').textContent = note;
}

function draw_verdict(state)
{
    const { game, review, view } = state;
    const judged = review && view > 0 ? judgement_at(game, review, view) : null;
    element('verdict').hidden = !judged;
    if (!judged)
        return;
    const judgement = judgement_of(judged.id);
    const before = review.positions[view - 1]?.score;
    const after = review.positions[view]?.score;
    const scores = before && after ? ` (${score_text(before)} → ${score_text(after)})` : '';
    const best = best_line(game, review, view);
    element('verdict-text').textContent = `${move_label(game, view)}${judgement.mark} ${judgement.name}${scores}.` +
                                          (best ? ` ${best.best} was best.` : '');
    element('verdict-line').textContent = best ? `Korvane's line: ${numbered_line(game.fens[view - 1], best.line)}` : '';
    draw_why(review.why?.[view], review);
}

const TRIED = {
    judging: tried => `Korvane looks at ${tried.san}…`,
    good: (tried, learn) => `${tried.san}: good, as good as the best move here.${learn.attempts > 1 ? '' : ' At the first try!'}`,
    bad: tried => `${tried.san} is no better: try again, or see the solution.`,
};

function learn_summary(results)
{
    const count = kind => results.filter(result => result === kind).length;
    const found = count('found') + count('found-later');
    return `Done: you found ${found} of ${results.length} better moves (${count('found')} at the first try), ` +
           `saw ${count('solution')} solution${count('solution') === 1 ? '' : 's'} and skipped ${count('skipped')}.`;
}

function draw_learn(state)
{
    const { learn, game } = state;
    if (learn && element('learn-box').hidden)
        element('board').scrollIntoView({ block: 'nearest' });  // the board, where the person answers
    element('learn-box').hidden = !learn;
    document.body.toggleAttribute('data-learn', Boolean(learn));
    if (!learn)
        return;
    const ply = learn.plies[learn.at];
    element('learn-task').textContent = learn.status === 'done' ? '' :
        `${move_label(game, ply)} was played here (${learn.at + 1}/${learn.plies.length}). Find a better move for ${COLOURS[side_to_move(game.fens[ply - 1])]}.`;
    element('learn-result').textContent = learn.status === 'done' ? learn_summary(learn.results) :
        learn.status === 'solution' ? `The solution: ${numbered_line(game.fens[ply - 1], learn.solution.line)}.` :
        TRIED[learn.status]?.(learn.tried, learn) ?? '';
    element('learn-solution').disabled = !['asking', 'bad'].includes(learn.status);
    element('learn-next').hidden = learn.status === 'done';
    element('learn-next').textContent = ['good', 'solution'].includes(learn.status) ? 'Next' : 'Skip';
    element('learn-stop').textContent = learn.status === 'done' ? 'Close' : 'Stop';
}

export function start_review_view()
{
    fill_depths();
    let shown = { review: null, game: null, view: null };
    subscribe(state => {
        const review = game_review(state);
        element('review-depth').value = String(state.review_depth);
        // Not while Korvane is about to move: the review would be of a game that is changing.
        element('review').disabled = state.game.moves.length === 0 || review?.status === 'running' || page_state(state) === 'engine';
        draw_learn(state);
        if (review === shown.review && state.view === shown.view && state.game === shown.game)
            return;
        shown = { review, game: state.game, view: state.view };
        element('review-status').textContent = review ? status_text(review) : '';
        document.body.dataset.review = review?.status ?? 'none';
        element('learn-buttons').hidden = review?.status !== 'done';
        if (review)
            draw_summary(state.game, review);
        else
            element('review-summary').hidden = true;
        draw_verdict({ ...state, review });
    });
}

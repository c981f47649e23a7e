// The evaluation graph of the game, in plain SVG: one point per position from White's view (up is
// good for White), the area between the line and the middle filled, the position on the board
// marked by a line, and a review's judged moves marked; with its progress bar and a line of text.
// The points are drawn again only when the scores change; a step moves the marker alone. No chart library: this is one path, one
// marker and a click (controls.mjs), which a library would only wrap.
import { move_label } from './game.mjs';
import { GRAPH_DEPTH } from './graph-runner.mjs';
import { judgement_at, judgement_of } from './review.mjs';
import { game_review, subscribe } from './store.mjs';
import { score_fraction, score_text } from './uci.mjs';

const WIDTH = 600;
const HEIGHT = 150;
const SVG = 'http://www.w3.org/2000/svg';
const element = id => document.getElementById(id);

function svg_element(name, attributes)
{
    const node = document.createElementNS(SVG, name);
    for (const [key, value] of Object.entries(attributes))
        node.setAttribute(key, value);
    return node;
}

// The scores to draw, one per ply: null where none is known yet.
export function graph_points(graph)
{
    return graph ? graph.scores.map(score => (score && !score.pending ? score : null)) : [];
}

function x_of(ply, count)
{
    return (ply / Math.max(count - 1, 1)) * WIDTH;
}

function draw_points(svg, scores, game)
{
    const y = score => HEIGHT / 2 - score_fraction(score) * (HEIGHT / 2 - 4);
    const x = ply => x_of(ply, scores.length);
    const back = svg_element('g', {});
    back.append(svg_element('rect', { x: 0, y: 0, width: WIDTH, height: HEIGHT, class: 'graph-back' }),
                svg_element('line', { x1: 0, y1: HEIGHT / 2, x2: WIDTH, y2: HEIGHT / 2, class: 'graph-middle' }));
    const known = scores.map((score, ply) => [ply, score]).filter(([, score]) => score);
    if (known.length > 0) {
        const points = known.map(([ply, score]) => `${x(ply).toFixed(1)},${y(score).toFixed(1)}`);
        const first = x(known[0][0]).toFixed(1);
        const end = x(known.at(-1)[0]).toFixed(1);
        back.append(svg_element('path', { d: `M${first},${HEIGHT / 2} L${points.join(' L')} L${end},${HEIGHT / 2} Z`, class: 'graph-area' }),
                    svg_element('polyline', { points: points.join(' '), class: 'graph-line' }));
        for (const [ply, score] of known) {
            const dot = svg_element('circle', { cx: x(ply), cy: y(score), r: 2.5, class: 'graph-point', 'data-ply': ply });
            const title = svg_element('title', {});
            title.textContent = `${ply === 0 ? 'Start' : `After ${move_label(game, ply)}`}: ${score_text(score)}`;
            dot.append(title);
            back.append(dot);
        }
    }
    svg.replaceChildren(back, svg_element('line', { y1: 0, y2: HEIGHT, class: 'graph-current' }));
}

// What the graph draws: the review of the game when there is one, with its judged moves marked,
// else the graph's own scores.
function source_of(state)
{
    const { graph, game } = state;
    const review = game_review(state);
    if (review) {
        const known = review.positions.filter(Boolean).length;
        return {
            status: review.status, scores: review.positions.map(position => position?.score ?? null), known,
            marks: game.moves.map((move, i) => judgement_at(game, review, i + 1)),
            text: review.status === 'running' ? `Reviewing the game: ${known} of ${review.positions.length} positions…` :
                  review.status === 'failed' ? `Korvane's review stopped (${review.error}).` :
                  'Korvane\'s review: click a mark or a point to go to that move.',
        };
    }
    if (!graph)
        return null;
    const scores = graph_points(graph);
    const known = graph.scores.filter(score => score !== null).length;
    return {
        status: graph.status, scores, known, marks: [],
        text: graph.status === 'failed' ? `Korvane's evaluation stopped (${graph.error}): press "Evaluation graph of the game" to try again.` :
              graph.status === 'running' ? `Evaluating the game: ${known} of ${graph.scores.length} positions…` :
              `Korvane's evaluation of each position (depth ${GRAPH_DEPTH}); click to go there.`,
    };
}

function draw_marks(svg, scores, marks, game)
{
    const y = score => HEIGHT / 2 - score_fraction(score) * (HEIGHT / 2 - 4);
    marks.forEach((judged, i) => {
        const score = scores[i + 1];
        if (!judged || !score)
            return;
        const judgement = judgement_of(judged.id);
        const mark = svg_element('circle', { cx: x_of(i + 1, scores.length), cy: y(score), r: 5, class: `graph-mark judged-${judged.id}`, 'data-ply': i + 1 });
        const title = svg_element('title', {});
        title.textContent = `${move_label(game, i + 1)}${judgement.mark} ${judgement.name}`;
        mark.append(title);
        svg.firstElementChild.append(mark);
    });
}

let shown = { source: null, graph: null, review: null, game: null };

export function start_graph_view()
{
    const svg = element('graph');
    svg.setAttribute('viewBox', `0 0 ${WIDTH} ${HEIGHT}`);
    svg.setAttribute('preserveAspectRatio', 'none');
    subscribe(state => {
        document.body.dataset.graph = state.graph ? state.graph.status : 'none';
        if (state.graph !== shown.graph || state.review !== shown.review || state.game !== shown.game) {
            const source = source_of(state);
            element('graph-box').hidden = !source;
            shown = { source, graph: state.graph, review: state.review, game: state.game };
            if (!source)
                return;
            const progress = element('graph-progress');
            progress.hidden = source.status !== 'running';
            progress.max = source.scores.length;
            progress.value = source.known;
            element('graph-status').textContent = source.text;
            draw_points(svg, source.scores, state.game);
            draw_marks(svg, source.scores, source.marks, state.game);
        }
        if (!shown.source)
            return;
        const line = svg.lastElementChild;
        const x = state.view < shown.source.scores.length ? x_of(state.view, shown.source.scores.length) : -10;
        line.setAttribute('x1', x);
        line.setAttribute('x2', x);
    });
}

// The evaluation graph of the game, in plain SVG: one point per position from White's view (up is
// good for White), the area between the line and the middle filled, the position on the board
// marked by a line; with its progress bar and a line of text. The points are drawn again only
// when the scores change; a step moves the marker alone. No chart library: this is one path, one
// marker and a click (controls.mjs), which a library would only wrap.
import { GRAPH_DEPTH } from './graph-runner.mjs';
import { move_label } from './game.mjs';
import { subscribe } from './store.mjs';
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

let shown = { graph: null, game: null };

export function start_graph_view()
{
    const svg = element('graph');
    svg.setAttribute('viewBox', `0 0 ${WIDTH} ${HEIGHT}`);
    svg.setAttribute('preserveAspectRatio', 'none');
    subscribe(state => {
        const { graph } = state;
        document.body.dataset.graph = graph ? graph.status : 'none';
        element('graph-box').hidden = !graph;
        if (!graph)
            return;
        if (graph !== shown.graph || state.game !== shown.game) {
            const done = graph.scores.filter(score => score !== null).length;
            const progress = element('graph-progress');
            progress.hidden = graph.status !== 'running';
            progress.max = graph.scores.length;
            progress.value = done;
            element('graph-status').textContent =
                graph.status === 'failed' ? `Korvane's evaluation stopped (${graph.error}): press "Evaluation graph of the game" to try again.` :
                graph.status === 'running' ? `Evaluating the game: ${done} of ${graph.scores.length} positions…` :
                `Korvane's evaluation of each position (depth ${GRAPH_DEPTH}); click to go there.`;
            draw_points(svg, graph_points(graph), state.game);
            shown = { graph, game: state.game };
        }
        const line = svg.lastElementChild;
        const x = state.view < graph.scores.length ? x_of(state.view, graph.scores.length) : -10;
        line.setAttribute('x1', x);
        line.setAttribute('x2', x);
    });
}

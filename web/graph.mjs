// The evaluation graph of a whole game, in plain SVG: one point per position from White's view
// (up is good for White), the area between the line and the middle filled, the position on
// the board marked. Clicking goes to the position nearest the click. No chart library: this is
// one path, one marker and a click, which a library would only wrap.
import { score_fraction, score_text } from './engine.mjs';

const WIDTH = 600;
const HEIGHT = 150;
const SVG = 'http://www.w3.org/2000/svg';

function element(name, attributes)
{
    const node = document.createElementNS(SVG, name);
    for (const [key, value] of Object.entries(attributes))
        node.setAttribute(key, value);
    return node;
}

// Draws into the <svg> container the scores (one per ply, null where none is known yet), with
// the ply on the board marked; on_pick(ply) gets clicks.
export function draw_graph(svg, scores, current, on_pick)
{
    svg.replaceChildren();
    svg.setAttribute('viewBox', `0 0 ${WIDTH} ${HEIGHT}`);
    svg.setAttribute('preserveAspectRatio', 'none');
    const last = Math.max(scores.length - 1, 1);
    const x = ply => (ply / last) * WIDTH;
    const y = score => HEIGHT / 2 - score_fraction(score) * (HEIGHT / 2 - 4);
    svg.append(element('rect', { x: 0, y: 0, width: WIDTH, height: HEIGHT, class: 'graph-back' }));
    svg.append(element('line', { x1: 0, y1: HEIGHT / 2, x2: WIDTH, y2: HEIGHT / 2, class: 'graph-middle' }));

    const known = scores.map((score, ply) => [ply, score]).filter(([, score]) => score);
    if (known.length > 0) {
        const points = known.map(([ply, score]) => `${x(ply).toFixed(1)},${y(score).toFixed(1)}`);
        const first = x(known[0][0]).toFixed(1), end = x(known.at(-1)[0]).toFixed(1);
        svg.append(element('path', { d: `M${first},${HEIGHT / 2} L${points.join(' L')} L${end},${HEIGHT / 2} Z`, class: 'graph-area' }));
        svg.append(element('polyline', { points: points.join(' '), class: 'graph-line' }));
        for (const [ply, score] of known) {
            const dot = element('circle', { cx: x(ply), cy: y(score), r: 2.5, class: 'graph-point', 'data-ply': ply });
            const title = element('title', {});
            title.textContent = `${ply === 0 ? 'Start' : `After ${Math.ceil(ply / 2)}${ply % 2 ? '.' : '...'}`}: ${score_text(score)}`;
            dot.append(title);
            svg.append(dot);
        }
    }
    if (current >= 0 && current < scores.length)
        svg.append(element('line', { x1: x(current), y1: 0, x2: x(current), y2: HEIGHT, class: 'graph-current' }));

    svg.onclick = event => {
        const box = svg.getBoundingClientRect();
        if (box.width <= 0 || scores.length === 0)
            return;
        const ply = Math.round(((event.clientX - box.left) / box.width) * last);
        on_pick(Math.max(0, Math.min(scores.length - 1, ply)));
    };
}

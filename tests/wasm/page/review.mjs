// A game's review on the page: it runs with its progress; a queen left to be taken is a blunder
// explained first by material; a game of Korvane's own best moves gets no judgement; the summary's
// figures are the formulas', worked out here on the review's own scores; "learn from your
// mistakes" accepts the best move, refuses a bad one and shows the solution; the annotated PGN goes
// out and back in without a new search; and tools/annotate.mjs gives the same NAGs and evaluations
// as the page for three games.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { start_process } from '../../../tools/uci_process.mjs';
import { repo } from '../chromium.mjs';
import { no_violations } from './access.mjs';
import { Chess, check, fresh, load_text, make_move, open_page, open_record, wait_for } from './driver.mjs';

const DEPTH = 7;  // the page's default
const BLUNDER = '[Event "Queen"]\n\n1. e4 e5 2. Nf3 Qh4 3. Nxh4 Nf6 4. Nc3 Bc5 *\n';
const FIXED = '[Event "Fixed"]\n[White "A"]\n[Black "B"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bc4 Nd4 4. Nxe5 Qg5 5. Nxf7 Qxg2 6. Rf1 Qxe4+ 7. Be2 Nf3# 0-1\n';
const THIRD = '[Event "Sicilian"]\n\n1. e4 c5 2. Nf3 d6 3. d4 cxd4 4. Nxd4 Nf6 5. Nc3 a6 6. Bc4 e5 7. Nf3 Be7 8. O-O O-O 9. Ng5 Qe8 *\n';

async function reviewed(page, pgn)
{
    await load_text(page, 'pgn-in', 'load-pgn', pgn);
    await page.click('#review');
    await page.waitForFunction(() => document.body.dataset.review === 'done', { timeout: 300000, polling: 50 });
}

async function marks_of(page)
{
    return page.$$eval('#moves .move', buttons => buttons.map(button => button.dataset.judged || ''));
}

// ---- The figures, worked out here from the review's scores ----

const win = cp => 50 + 50 * (2 / (1 + Math.exp(-0.00368208 * Math.max(-1000, Math.min(1000, cp)))) - 1);
const capped = ([kind, value]) => (kind === 'cp' ? Math.max(-1000, Math.min(1000, Number(value))) : kind === 'mate' ? Math.sign(Number(value)) * 1000 :
                                   value === '1-0' ? 1000 : value === '0-1' ? -1000 : 0);
const accuracy = loss => (loss <= 0 ? 100 : Math.max(0, Math.min(100, 103.1668100711649 * Math.exp(-0.04354415386753951 * loss) - 3.166924740191411 + 1)));

function judged(before, after, sign)
{
    const mover = ([kind, value]) => (kind === 'cp' ? { cp: sign * Number(value) } : kind === 'mate' ? { mate: sign * Number(value) } :
                                      value === '1/2-1/2' ? { cp: 0 } : { mate: (value === '1-0' ? 1 : -1) * sign * Infinity });
    const [b, a] = [mover(before), mover(after)];
    if (b.mate > 0 && !(a.mate > 0))
        return a.cp > 999 ? 'inaccuracy' : a.cp > 700 ? 'mistake' : 'blunder';
    if (a.mate < 0 && !(b.mate < 0))
        return b.cp < -999 ? 'inaccuracy' : b.cp < -700 ? 'mistake' : 'blunder';
    if (b.mate !== undefined || a.mate !== undefined)
        return null;
    const loss = sign * (win(capped(before)) - win(capped(after)));
    return loss >= 30 ? 'blunder' : loss >= 20 ? 'mistake' : loss >= 10 ? 'inaccuracy' : null;
}

function figures(scores, best, moves, first)
{
    const sides = { w: { counts: { inaccuracy: 0, mistake: 0, blunder: 0 }, moves: [], losses: [] }, b: null };
    sides.b = structuredClone(sides.w);
    const series = [15, ...scores.slice(1).map(capped)].map(win);
    const cps = [15, ...scores.slice(1).map(capped)];
    const size = Math.max(2, Math.min(8, Math.floor(moves.length / 10)));
    const deviation = xs => { const m = xs.reduce((s, x) => s + x, 0) / xs.length; return Math.sqrt(xs.reduce((s, x) => s + (x - m) ** 2, 0) / xs.length); };
    moves.forEach((move, i) => {
        const side = (i % 2 === 0) === (first === 'w') ? 'w' : 'b';
        const sign = side === 'w' ? 1 : -1;
        const verdict = best[i] === move ? null : judged(scores[i], scores[i + 1], sign);
        if (verdict)
            sides[side].counts[verdict]++;
        const window = i < size - 2 ? series.slice(0, size) : series.slice(i - (size - 2), i - (size - 2) + size);
        sides[side].moves.push({ accuracy: accuracy(sign * (series[i] - series[i + 1])), weight: Math.max(0.5, Math.min(12, deviation(window))) });
        sides[side].losses.push(Math.max(0, sign * (cps[i] - cps[i + 1])));
    });
    const result = {};
    for (const [side, { counts, moves: list, losses }] of Object.entries(sides)) {
        const weighted = list.reduce((s, m) => s + m.accuracy * m.weight, 0) / list.reduce((s, m) => s + m.weight, 0);
        const harmonic = list.length / list.reduce((s, m) => s + 1 / Math.max(m.accuracy, 1), 0);
        result[side] = [counts.inaccuracy, counts.mistake, counts.blunder, `${Math.round((weighted + harmonic) / 2)}%`,
                        String(Math.round(losses.reduce((s, x) => s + x, 0) / losses.length))].map(String);
    }
    return result;
}

// ---- The checks ----

async function blunder_explained(page, context)
{
    await load_text(page, 'pgn-in', 'load-pgn', BLUNDER);
    await page.click('#review');
    const progress = await page.waitForFunction(() => /of \d+ positions/.test(document.getElementById('review-status').textContent),
                                                { timeout: 20000, polling: 20 }).then(() => true, () => false);
    check(progress, 'a review shows its progress while it runs');
    await page.waitForFunction(() => document.body.dataset.review === 'done', { timeout: 300000, polling: 50 });
    const marks = await marks_of(page);
    const texts = await page.$$eval('#moves .move', buttons => buttons.map(button => button.textContent));
    check(marks[3] === 'blunder' && texts[3] === 'Qh4??', `a queen left to be taken is a blunder: "${texts[3]}" (${marks.join(' ')})`);
    await page.click('#moves .move[data-ply="4"]');
    const why = await page.waitForFunction(() => document.querySelector('#why li')?.dataset.term, { timeout: 30000, polling: 50 })
        .then(handle => handle.jsonValue(), () => null);
    const verdict = await page.$eval('#verdict', node => node.innerText);
    check(why === 'material' && /Material: −\d/.test(verdict), `and explained first by material: ${verdict.replace(/\s+/g, ' ')}`);
    const arrow = await page.$$eval('#board .arrow, #board [class*="arrow-"]', nodes => nodes.length);
    check(arrow > 0, 'the best move is drawn as an arrow on the board');
    await page.screenshot({ path: join(context.screenshots, 'review.png'), fullPage: true });
    await no_violations(page, 'with a review and its explanation');
}

// A game of Korvane's own best moves: the native engine, asked as a review asks (a cleared
// table, then each position in turn at the review's depth), plays each.
async function best_moves_game(engine_path, plies)
{
    const engine = start_process([engine_path]);
    const game = new Chess();
    const moves = [];
    engine.send('ucinewgame');
    for (let ply = 0; ply < plies; ++ply) {
        const position = moves.length ? `position startpos moves ${moves.join(' ')}` : 'position startpos';
        const move = await new Promise(done => engine.search(position, `go depth ${DEPTH}`, { on_done: words => done(words[1]) }));
        game.move({ from: move.slice(0, 2), to: move.slice(2, 4), promotion: move[4] });
        moves.push(move);
    }
    engine.quit();
    return game.pgn();
}

async function best_moves_not_judged(page, context)
{
    await reviewed(page, await best_moves_game(context.native_engine, 12));
    const marks = await marks_of(page);
    const cells = await page.$$eval('#review-summary td', tds => tds.map(td => td.textContent));
    check(marks.every(mark => mark === '') && cells[0] === '0' && cells[5] === '0',
          `a game of Korvane's own best moves gets no judgement (${marks.join(',')}; ${cells.join(' ')})`);
}

async function summary_by_the_formulas(page)
{
    await reviewed(page, FIXED);
    const shown = await page.evaluate(() => {
        const table = document.getElementById('review-summary');
        return {
            scores: table.dataset.scores.split(',').map(token => token.split(' ')), best: table.dataset.best.split(' '),
            w: [...document.querySelectorAll('#summary-w td')].map(td => td.textContent), b: [...document.querySelectorAll('#summary-b td')].map(td => td.textContent),
            moves: document.body.dataset.moves.split(' '),
        };
    });
    const expected = figures(shown.scores, shown.best, shown.moves, 'w');
    check(JSON.stringify([shown.w, shown.b]) === JSON.stringify([expected.w, expected.b]),
          `the summary's figures are the formulas' (${shown.w.join(' ')} | ${shown.b.join(' ')} against ${expected.w.join(' ')} | ${expected.b.join(' ')})`);
}

async function learn_from_mistakes(page)
{
    await page.click('#learn-w');
    await wait_for(page, () => document.body.dataset.state === 'learn', null, 5000);
    const task = await page.$eval('#learn-task', node => node.textContent);
    check(/5\. Nxf7 was played here \(1\/2\)/.test(task), `learning shows the move played and the count ("${task}")`);
    await no_violations(page, 'while learning from the mistakes');
    check(await page.$eval('#thinking', node => getComputedStyle(node).visibility) === 'hidden', 'the engine is hidden while the person looks');
    await make_move(page, 'a2', 'a3', 'click');
    await page.waitForFunction(() => /no better/.test(document.getElementById('learn-result').textContent), { timeout: 60000, polling: 50 });
    check(true, 'a bad move is refused');
    await wait_for(page, () => document.body.dataset.state === 'learn', null, 5000);
    await make_move(page, 'c4', 'f7', 'click');
    const good = await page.waitForFunction(() => /good/.test(document.getElementById('learn-result').textContent), { timeout: 60000, polling: 50 })
        .then(() => true, () => false);
    check(good, 'the best move is accepted');
    await page.click('#learn-next');
    await page.click('#learn-solution');
    const solution = await page.$eval('#learn-result', node => node.textContent);
    check(/The solution: 7\. Qe2/.test(solution), `the solution is shown ("${solution}")`);
    await page.click('#learn-next');
    const summary = await page.$eval('#learn-result', node => node.textContent);
    check(/found 1 of 2/.test(summary), `at the end the page says how it went ("${summary}")`);
    await page.click('#learn-stop');
}

async function annotated_pgn_round_trip(page)
{
    const marks = await marks_of(page);
    await open_record(page);
    const pgn = await page.$eval('#pgn-out', node => node.value);
    await load_text(page, 'pgn-in', 'load-pgn', '1. d4 *');
    await load_text(page, 'pgn-in', 'load-pgn', pgn);
    const state = await page.evaluate(() => ({ review: document.body.dataset.review, status: document.getElementById('review-status').textContent }));
    check(state.review === 'done' && /as its PGN gives it/.test(state.status), `the annotated PGN comes back reviewed, without a search (${state.review})`);
    check(JSON.stringify(await marks_of(page)) === JSON.stringify(marks), 'with the same judgements');
    await open_record(page);
    check(await page.$eval('#pgn-out', node => node.value) === pgn, 'and goes out again as the same PGN');
}

// The NAGs and evaluations of each game of an annotated PGN text.
function annotations_of(pgn)
{
    return pgn.split(/\n(?=\[Event )/).map(game => (game.match(/\$\d+|\[%eval [^\]]+\]/g) ?? []).join(' '));
}

async function page_and_tool_agree(page, context)
{
    const games = [BLUNDER, FIXED, THIRD];
    const on_page = [];
    for (const game of games) {
        await reviewed(page, game);
        await open_record(page);
        on_page.push(await page.$eval('#pgn-out', node => node.value));
    }
    const folder = mkdtempSync(join(tmpdir(), 'korvane-annotate-'));
    try {
        writeFileSync(join(folder, 'three.pgn'), games.join('\n'));
        const tool = execFileSync(process.execPath, [join(repo, 'tools', 'annotate.mjs'), '--engine', context.native_engine, '-j', '2', join(folder, 'three.pgn')],
                                  { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] });
        const by_tool = annotations_of(tool);
        const by_page = on_page.map(pgn => annotations_of(pgn)[0]);
        check(by_tool.length === 3 && by_page.every((text, i) => text === by_tool[i] && text.includes('[%eval')),
              `tools/annotate.mjs gives the page's NAGs and evaluations for three games (${by_page.map((text, i) => text === by_tool[i]).join(' ')})`);
    } finally {
        rmSync(folder, { recursive: true, force: true });
    }
}

export async function review(context)
{
    const page = await open_page(context.browser, context.url, 'index.html');
    await fresh(page);
    for (const group of [blunder_explained, best_moves_not_judged, summary_by_the_formulas, learn_from_mistakes, annotated_pgn_round_trip,
                         page_and_tool_agree]) {
        try {
            await group(page, context);
        } catch (error) {
            check(false, `${group.name} stopped: ${error.message}`);
        }
    }
    await page.close();
}

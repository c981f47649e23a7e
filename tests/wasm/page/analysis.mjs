// A loaded 30-move game gets its evaluation graph, and a click on it goes to that move. Analysis
// starts on the position shown and follows the arrow keys: the engine's log shows a "stop" before
// every new "position", and no thinking of another position is ever shown. The terms of 24
// positions (the perft suite's, a drawn ending and opposite bishops) equal the native
// `korvane-eval --terms`.
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

import { repo } from '../chromium.mjs';
import { Chess, check, load_text, make_move, pause, random_move, replay, state_of, thirty_move_pgn, wait_for } from './driver.mjs';

const TERM_POSITIONS = 24;     // positions whose terms are compared with the native tool's

function stops_before_positions(sent, from)
{
    // After each "go infinite", a "stop" comes before the next "position".
    let searching = false;
    for (const line of sent.slice(from)) {
        if (line === 'go infinite')
            searching = true;
        else if (line === 'stop')
            searching = false;
        else if (line.startsWith('position') && searching)
            return false;
    }
    return true;
}

export async function analysis(page, context)
{
    const pgn = thirty_move_pgn();
    const loaded = await load_text(page, 'pgn-in', 'load-pgn', pgn);
    check(loaded.moves.length === 60, `a 30-move game loads (${loaded.moves.length} plies)`);
    const graphed = await wait_for(page, () => document.body.dataset.graph === 'done', null, 300000);
    const points = await page.$$eval('#graph .graph-point', dots => dots.length);
    check(graphed.graph === 'done' && points === 61, `the graph of the 30-move game is drawn (${points} points)`);
    const box = await page.$eval('#graph', svg => { svg.scrollIntoView({ block: 'center' }); const b = svg.getBoundingClientRect(); return { x: b.x, y: b.y, width: b.width, height: b.height }; });
    await page.mouse.click(box.x + box.width * 0.25, box.y + box.height / 2);
    const picked = await wait_for(page, () => document.body.dataset.view !== '60', null, 5000);
    check(picked.view === 15 && picked.fen === replay(loaded.moves.slice(0, 15)).fen(), `a click on the graph goes to that move (${picked.view})`);

    // Analysis: "go infinite" on the position on the board, and a "stop" before every new position.
    const from = (await state_of(page)).sent.length;
    await page.click('#mode-analyse');
    let state = await wait_for(page, () => document.body.dataset.state === 'analysis' &&
                                           document.body.dataset.thinkingFen === document.body.dataset.fen, null, 60000);
    check(state.sent.slice(from).includes('go infinite'), 'analysis starts "go infinite"');
    const legal_line = (fen, line) => {
        const game = new Chess(fen);
        try {
            for (const san of line.split(' ').filter(Boolean))
                game.move(san);
            return line.length > 0;
        } catch {
            return false;
        }
    };
    check(legal_line(state.fen, state.line), `the analysis line is a line of the position (${state.line})`);
    await page.click('h1');  // the arrow keys step through the game, not the mode's radio buttons
    for (const key of ['ArrowLeft', 'ArrowLeft', 'ArrowRight', 'ArrowLeft', 'End', 'Home', 'ArrowRight']) {
        await page.keyboard.press(key);
        await pause(key === 'ArrowLeft' ? 30 : 400);
        const now = await state_of(page);
        check(!now.thinking_fen || now.thinking_fen === now.fen, `after ${key} no thinking of another position is shown`);
    }
    state = await wait_for(page, () => document.body.dataset.thinkingFen === document.body.dataset.fen, null, 60000);
    check(state.view === 1 && legal_line(state.fen, state.line), `analysis follows the board (ply ${state.view}: ${state.line})`);
    check(stops_before_positions(state.sent, from), 'each new position is sent only after a "stop"');
    // A move on the board in analysis: the game's later moves give way to it.
    const move = random_move(replay(state.moves.slice(0, 1)));
    await make_move(page, move.from, move.to, 'click', move.promotion);
    state = await wait_for(page, () => document.body.dataset.view === '2', null, 5000);
    check(state.moves.length === 2 && state.moves[1] === move.lan, 'a move in analysis starts a new line from the position shown');
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowRight');
    state = await wait_for(page, () => document.body.dataset.thinkingFen === document.body.dataset.fen, null, 60000);
    check(stops_before_positions(state.sent, from), 'still a "stop" before each new position');

    // The picture: the loaded game analysed, its graph and the term table.
    await load_text(page, 'pgn-in', 'load-pgn', pgn);
    await wait_for(page, () => document.body.dataset.graph === 'done', null, 300000);
    await page.keyboard.press('Home');
    for (let i = 0; i < 24; i++)
        await page.keyboard.press('ArrowRight');
    await wait_for(page, () => document.body.dataset.thinkingFen === document.body.dataset.fen &&
                               document.body.dataset.termsFen === document.body.dataset.fen, null, 60000);
    await page.$eval('#record', details => { details.open = false; });
    await page.screenshot({ path: join(context.screenshots, 'analysis.png'), fullPage: true });
}

function native_terms(context, fen)
{
    const lines = execFileSync(context.native_eval, ['--terms', ...fen.split(' ')], { encoding: 'utf8' }).trim().split('\n');
    const rows = {};
    for (const line of lines) {
        const words = line.trim().split(/\s+/);
        if (words.length === 3 && /^-?\d+$/.test(words[1]) && /^-?\d+$/.test(words[2]))
            rows[words[0]] = [Number(words[1]), Number(words[2])];
    }
    return { rows, score: Number(lines.at(-1)) };
}

export async function terms(page, context)
{
    const suite = readFileSync(join(repo, 'tests', 'data', 'perft_suite.epd'), 'utf8').split('\n')
        .filter(line => line && !line.startsWith('#')).map(line => line.split(';')[0].trim());
    const fens = [...suite.slice(0, TERM_POSITIONS - 4),
                  '8/3pp2k/1npbpQpp/1p6/3P4/2P3q1/1P4P1/7K w - - 0 1',     // a middlegame of the engine's tests
                  '8/8/4k3/8/8/3NK3/8/8 w - - 0 1',                        // drawn ending: 0 whatever the terms
                  '8/2b2k2/2p5/8/4P3/2B5/5K2/8 b - - 0 1',                 // opposite bishops: material halved
                  '6k1/5ppp/8/8/8/8/5PPP/3R2K1 b - - 0 1'];
    let equal = 0;
    await page.$eval('#record', details => { details.open = true; });
    for (const fen of fens) {
        const state = await load_text(page, 'fen-in', 'load-fen', fen);
        if (state.message.startsWith('This FEN')) {
            check(false, `the page loads ${fen}: ${state.message}`);
            continue;
        }
        await page.waitForFunction(wanted => document.body.dataset.termsFen === wanted, { timeout: 20000, polling: 20 }, state.fen);
        const shown = await page.evaluate(() => ({
            score: Number(document.getElementById('terms').dataset.score),
            rows: Object.fromEntries([...document.querySelectorAll('#terms-body tr')].map(row =>
                [row.dataset.term, [...row.querySelectorAll('td')].slice(0, 2).map(cell => Number(cell.textContent))])),
        }));
        const native = native_terms(context, state.fen);
        const same = shown.score === native.score &&
                     Object.keys(native.rows).filter(term => term !== 'sum').every(term =>
                         JSON.stringify(shown.rows[term]) === JSON.stringify(native.rows[term]));
        check(same, `the page's terms are the native tool's for ${state.fen}: ${JSON.stringify(shown)} against ${JSON.stringify(native)}`);
        equal += same ? 1 : 0;
    }
    console.log(`terms equal to the native korvane-eval on ${equal} of ${fens.length} positions`);
    check(equal >= 20, `the terms' total equals the native evaluation on at least 20 positions (${equal})`);
}

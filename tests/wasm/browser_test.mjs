// The page of Korvane, in headless Chromium as people use it:
//   node tests/wasm/browser_test.mjs SITE SCREENSHOTS NATIVE_EVAL
// SITE is the assembled page (build-wasm/site), served by web/serve.mjs; SCREENSHOTS the folder
// for the pictures; NATIVE_EVAL the native korvane-eval (build/korvane-eval), whose terms the
// page's must equal. Needs Debian's chromium and the page's packages (npm ci --prefix web),
// whose puppeteer-core drives the browser and whose chess.js checks every move independently of
// the page.
//
// A scripted person plays by clicks and drags, tries illegal moves, takes moves back (also
// while Korvane thinks), reloads the page in the middle of a game, and plays a whole game at
// the weakest level; the game's PGN goes out and back in, a malformed PGN and FEN are refused;
// a 30-move game is loaded and its evaluation graph drawn and clicked; analysis follows the
// position on the board; the evaluation's terms equal the native tool's on the perft suite's
// positions; the page fits a phone and takes moves by touch; and, with the network gone, a
// reload still plays. Every engine reply must be legal; no console error may appear anywhere.
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

import { open_browser, repo } from './chromium.mjs';

const site = resolve(process.argv[2] ?? join(repo, 'build-wasm', 'site'));
const screenshots = resolve(process.argv[3] ?? join(repo, 'build-wasm', 'screenshots'));
const native_eval = resolve(process.argv[4] ?? join(repo, 'build', 'korvane-eval'));
const { Chess } = await import(pathToFileURL(join(repo, 'web', 'node_modules', 'chess.js', 'dist', 'esm', 'chess.js')));

const MARGIN_MS = 15000;       // for the board's animation, a loaded machine and a cold start
const START_MS = 60000;        // the page's first load, engine included
const PERSON_MOVES = 10;       // at least this many moves in the first game
const LAST_GAME_PLIES = 400;   // the game at the weakest level must have ended by then
const TERM_POSITIONS = 24;     // positions whose terms are compared with the native tool's

const failures = [];
let checks = 0;
function check(condition, text)
{
    checks++;
    if (!condition) {
        failures.push(text);
        console.log(`FAILED: ${text}`);
    }
}
function pause(ms)
{
    return new Promise(done => setTimeout(done, ms));
}

// A fixed sequence of choices, so that every run plays the same person.
let seed = 12345;
function random_below(n)
{
    seed = (seed * 1103515245 + 12345) % 2147483648;
    return seed % n;
}

// ---- The server and the browser ----

const { browser, url, close, stop_serving } = await open_browser(site, { defaultViewport: { width: 1200, height: 900 } },
                                                                  ['--window-size=1200,900']);

const console_errors = [];
async function open_page(path, viewport)
{
    const page = await browser.newPage();
    if (viewport)
        await page.setViewport(viewport);
    page.on('console', message => {
        if (message.type() === 'error')
            console_errors.push(`${path}: ${message.text()}`);
    });
    page.on('pageerror', error => console_errors.push(`${path}: ${error.message}`));
    page.on('requestfailed', request => {
        if (!request.url().startsWith('blob:'))
            console_errors.push(`${path}: failed to load ${request.url()}`);
    });
    await page.goto(url + path, { waitUntil: 'load' });
    return page;
}

mkdirSync(screenshots, { recursive: true });
try {
    const page = await play_page();
    await record(page);
    await analysis(page);
    await terms(page);
    await page.close();
    await phone();
    await bench_page();
    await offline();
} catch (error) {
    failures.push(`the test stopped: ${error.stack ?? error}`);
    console.log(failures.at(-1));
} finally {
    await close();
}

check(console_errors.length === 0, `no console errors, but: ${console_errors.join('; ')}`);
console.log(`browser: ${checks - failures.length} passed, ${failures.length} failed`);
process.exit(failures.length === 0 ? 0 : 1);

// ---- What the page shows ----

async function state_of(page)
{
    return page.evaluate(() => ({
        state: document.body.dataset.state,
        fen: document.body.dataset.fen,
        moves: document.body.dataset.moves ? document.body.dataset.moves.split(' ') : [],
        view: Number(document.body.dataset.view),
        mode: document.body.dataset.mode,
        graph: document.body.dataset.graph,
        thinking_fen: document.body.dataset.thinkingFen ?? '',
        status: document.getElementById('status').textContent,
        depth: document.getElementById('depth').textContent,
        line: document.getElementById('line').textContent,
        level: document.getElementById('level').value,
        colour: document.getElementById('colour').value,
        message: document.getElementById('load-message').textContent,
        pgn: document.getElementById('pgn-out').value,
        sent: globalThis.korvane_log ? [...globalThis.korvane_log] : [],
    }));
}

async function wait_for(page, predicate, argument, timeout_ms)
{
    await page.waitForFunction(predicate, { timeout: timeout_ms, polling: 20 }, argument);
    return state_of(page);
}

function wait_for_state(page, states, timeout_ms)
{
    return wait_for(page, wanted => wanted.includes(document.body.dataset.state), states, timeout_ms);
}

function wait_for_moves(page, state, count, timeout_ms)
{
    return wait_for(page, ([wanted, n]) => document.body.dataset.state === wanted &&
                                           (document.body.dataset.moves || '').split(' ').filter(Boolean).length === n,
                    [state, count], timeout_ms);
}

// The game of the page's move list, replayed by the test's own rules; null when a move is illegal.
function replay(moves, fen)
{
    const game = new Chess(fen);
    for (const uci of moves) {
        try {
            game.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
        } catch {
            return null;
        }
    }
    return game;
}

async function centre_of(page, square)
{
    return page.$eval(`#board rect[data-square="${square}"]`, rect => {
        const box = rect.getBoundingClientRect();
        return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
    });
}

// The person's move, by two clicks, a drag or two taps; a promotion is chosen in the board's dialog.
async function make_move(page, from, to, how, promotion)
{
    const a = await centre_of(page, from);
    const b = await centre_of(page, to);
    if (how === 'drag') {
        await page.mouse.move(a.x, a.y);
        await page.mouse.down();
        await page.mouse.move(b.x, b.y, { steps: 8 });
        await page.mouse.up();
    } else if (how === 'touch') {
        await page.touchscreen.tap(a.x, a.y);
        await page.touchscreen.tap(b.x, b.y);
    } else {
        await page.mouse.click(a.x, a.y);
        await page.mouse.click(b.x, b.y);
    }
    if (promotion) {
        const choice = await page.waitForSelector(`#board [data-piece$="${promotion}"]`, { timeout: 5000 });
        await choice.click();
    }
}

async function choose(page, id, value)
{
    await page.select(`#${id}`, value);
}

// The level whose "go" is the one given, as the page lists it.
async function level_of(page, go)
{
    return page.$eval(`#level option[data-go="${go}"]`, option => option.value);
}

// Plays the person's move and waits for Korvane's answer (or the game's end). Checks that the
// answer is legal; returns the page's state after it.
async function person_plays(page, move, how, label)
{
    const before = await state_of(page);
    await make_move(page, move.from, move.to, how, move.promotion);
    await page.waitForFunction(count => (document.body.dataset.moves || '').split(' ').filter(Boolean).length > count,
                               { timeout: 5000, polling: 20 }, before.moves.length);
    const after = await wait_for_state(page, ['person', 'over'], MARGIN_MS);
    const game = replay(after.moves);
    check(game !== null, `${label}: every move on the page is legal (${after.moves.join(' ')})`);
    check(after.moves[before.moves.length] === move.lan, `${label}: the page played the person's ${move.lan}`);
    if (game && after.state === 'person') {
        check(after.moves.length === before.moves.length + 2, `${label}: Korvane answered ${move.lan} with one move`);
        check(game.fen() === after.fen, `${label}: the page's position is the game's`);
    }
    return after;
}

function random_move(game)
{
    const moves = game.moves({ verbose: true });
    const quiet = moves.filter(move => !move.promotion);
    const pool = quiet.length > 0 ? quiet : moves;
    return pool[random_below(pool.length)];
}

// Whether the move lets the other side mate at once.
function allows_mate(game, move)
{
    game.move(move);
    const mates = game.moves({ verbose: true }).some(reply => {
        game.move(reply);
        const mate = game.isCheckmate();
        game.undo();
        return mate;
    });
    game.undo();
    return mates;
}

// A person who wants the game over: a move after which Korvane can mate at once, when there is one.
function helpful_move(game)
{
    return game.moves({ verbose: true }).find(move => allows_mate(game, move)) ?? random_move(game);
}

// A person who at least sees a mate in one coming, so that the game lasts.
function careful_move(game)
{
    for (let tries = 0; tries < 20; tries++) {
        const move = random_move(game);
        if (!allows_mate(game, move))
            return move;
    }
    return random_move(game);
}

// ---- Playing ----

async function play_page()
{
    const page = await open_page('index.html');
    const start = await wait_for_state(page, ['person'], START_MS);
    check(await page.evaluate(() => globalThis.crossOriginIsolated), 'the page is cross-origin isolated');
    check(start.moves.length === 0 && start.fen === new Chess().fen(), 'the page starts at the initial position');
    check(await page.$$eval('#level option', options => options.length) >= 6, 'the page offers its levels');

    // An illegal move is refused: the board and the game stay as they were.
    await make_move(page, 'e2', 'e5', 'click');
    await make_move(page, 'g1', 'g3', 'drag');
    await pause(500);
    const refused = await state_of(page);
    check(refused.state === 'person' && refused.moves.length === 0, 'illegal moves e2e5 and g1g3 are refused');

    // The first game: the person plays White at a quick level, with clicks and drags.
    const quick = await level_of(page, 'go depth 5');
    await choose(page, 'level', quick);
    let state = refused;
    let played = 0;
    let depth_shown = false;
    let pictured = false;
    while (played < PERSON_MOVES) {
        if (state.state === 'over') {
            await page.click('#new-game');
            state = await wait_for_moves(page, 'person', 0, MARGIN_MS);
        }
        const move = careful_move(replay(state.moves));
        state = await person_plays(page, move, played % 2 === 1 ? 'drag' : 'click', `game 1, move ${played + 1}`);
        depth_shown ||= /^\d+$/.test(state.depth);
        played++;
        if (!pictured && state.state === 'person' && state.moves.length >= 12) {
            await page.screenshot({ path: join(screenshots, 'desktop-play.png') });
            pictured = true;
        }
    }
    check(depth_shown, "Korvane's thinking (its depth) was shown");
    if (!pictured)
        await page.screenshot({ path: join(screenshots, 'desktop-play.png') });

    // A reload keeps the game and the settings.
    if (state.state === 'person') {
        await choose(page, 'colour', 'w');
        const before = await state_of(page);
        await page.reload({ waitUntil: 'load' });
        const after = await wait_for_state(page, ['person'], START_MS);
        check(after.moves.join(' ') === before.moves.join(' ') && after.fen === before.fen && after.level === before.level,
              `a reload keeps the game and the level (${before.moves.length} plies, level ${before.level})`);
        state = after;
    }

    // Take back: the person's last move and Korvane's answer go.
    if (state.state === 'person') {
        const moves = state.moves;
        await page.click('#take-back');
        const back = await wait_for_moves(page, 'person', moves.length - 2, MARGIN_MS);
        check(back.moves.join(' ') === moves.slice(0, -2).join(' '), 'take back removes the last move and its answer');
        check(back.fen === replay(back.moves)?.fen(), 'after take back the page shows the position before');

        // And while Korvane thinks: its search is stopped and its answer never played.
        await choose(page, 'level', await level_of(page, 'go movetime 3000'));
        const move = random_move(replay(back.moves));
        await make_move(page, move.from, move.to, 'click', move.promotion);
        await wait_for_moves(page, 'engine', back.moves.length + 1, 5000);
        await page.click('#take-back');
        const again = await wait_for_moves(page, 'person', back.moves.length, MARGIN_MS);
        await pause(1500);
        const later = await state_of(page);
        check(again.moves.join(' ') === back.moves.join(' ') && later.moves.join(' ') === back.moves.join(' ') &&
              later.state === 'person', 'take back while Korvane thinks keeps its answer off the board');
        await choose(page, 'level', quick);
    }

    // Flip: the a1 square goes from the bottom of the board to the top and back.
    const a1_before = await centre_of(page, 'a1');
    await page.click('#flip');
    await pause(300);
    const a1_flipped = await centre_of(page, 'a1');
    await page.click('#flip');
    await pause(300);
    check(a1_flipped.y < a1_before.y, 'flip turns the board');

    // A whole game at the weakest level, as Black: Korvane opens, the person helps it to the end.
    await choose(page, 'level', await level_of(page, 'go depth 1'));
    await choose(page, 'colour', 'b');
    await page.click('#new-game');
    state = await wait_for_moves(page, 'person', 1, MARGIN_MS);
    check(state.moves.length === 1 && replay(state.moves) !== null, 'a new game as Black starts with Korvane\'s move');
    let plies = 0;
    while (state.state === 'person' && plies < LAST_GAME_PLIES) {
        const how = plies % 4 === 2 ? 'drag' : 'click';
        state = await person_plays(page, helpful_move(replay(state.moves)), how, `weakest level, ply ${state.moves.length + 1}`);
        plies += 2;
    }
    check(state.state === 'over', `the game at the weakest level ended (${state.status})`);
    check(/Checkmate|Stalemate|Draw/.test(state.status), `the end is announced: "${state.status}"`);
    check(/\[Result "(1-0|0-1|1\/2-1\/2)"\]/.test(state.pgn), 'the PGN of the finished game has its result');
    const graphed = await wait_for(page, () => document.body.dataset.graph !== 'none', null, 5000);
    check(graphed.graph !== 'none', 'the graph of a finished game starts by itself');
    await page.screenshot({ path: join(screenshots, 'game-finished.png') });
    console.log(`the game at the weakest level ended after ${state.moves.length} plies: ${state.status}`);
    return page;
}

// ---- The game record: PGN and FEN out and in ----

async function load_text(page, input, button, text)
{
    await page.$eval(`#${input}`, (field, value) => { field.value = value; }, text);
    await page.click(`#${button}`);
    await pause(300);
    return state_of(page);
}

async function record(page)
{
    await page.$eval('#record', details => { details.open = true; });
    const finished = await state_of(page);
    const seven = ['Event', 'Site', 'Date', 'Round', 'White', 'Black', 'Result'].every(tag => finished.pgn.includes(`[${tag} "`));
    check(seven, 'the PGN carries the seven tag roster');

    // Out and back in: a new game, then the PGN loaded gives the same game and the same PGN.
    await choose(page, 'colour', 'w');
    await page.click('#new-game');
    await wait_for_moves(page, 'person', 0, MARGIN_MS);
    const loaded = await load_text(page, 'pgn-in', 'load-pgn', finished.pgn);
    check(loaded.moves.join(' ') === finished.moves.join(' '), 'PGN out and back in gives the same moves');
    check(loaded.pgn === finished.pgn, 'PGN out and back in gives the same PGN');

    // A malformed PGN and a malformed FEN: a message, and the game stays.
    for (const [input, button, text, label] of [
        ['pgn-in', 'load-pgn', '1. e4 e5 2. Ke3 Nc6', 'PGN with an illegal move'],
        ['pgn-in', 'load-pgn', '', 'empty PGN'],
        ['fen-in', 'load-fen', 'rnbqkbnr/pppppppp/8/8 w KQkq - 0 1', 'FEN of half a board'],
        ['fen-in', 'load-fen', '4k3/4Q3/8/8/8/8/8/4K3 w - - 0 1', 'FEN with the side not to move in check'],
    ]) {
        const after = await load_text(page, input, button, text);
        const failed = await page.$eval('#load-message', message => message.classList.contains('failed'));
        check(failed && after.message.length > 10, `${label}: a message ("${after.message}")`);
        check(after.moves.join(' ') === loaded.moves.join(' ') && after.fen === loaded.fen && after.pgn === loaded.pgn,
              `${label}: the game on the board stays as it was`);
    }

    // A good FEN: the position, castling rights its rooks no longer allow dropped.
    const fen = await load_text(page, 'fen-in', 'load-fen', 'r3k3/8/8/8/8/8/8/4K2R w KQkq - 0 1');
    check(fen.fen === 'r3k3/8/8/8/8/8/8/4K2R w Kq - 0 1' && fen.moves.length === 0, `a FEN loads: ${fen.fen}`);
}

// ---- Analysis and the graph ----

// A 30-move game with a comment and a variation, as PGN: seeded random play.
function thirty_move_pgn()
{
    const game = new Chess();
    for (let ply = 0; ply < 60; ply++) {
        const move = careful_move(game);
        game.move(move);
        if (game.isGameOver()) {
            game.undo();
            game.move(game.moves({ verbose: true }).find(other => { game.move(other); const over = game.isGameOver(); game.undo(); return !over; }) ?? move);
        }
    }
    const text = game.pgn();
    return text.replace(/^1\. (\S+) /m, '1. $1 {a comment} (1. d4 d5) ');
}

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

async function analysis(page)
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
    await page.screenshot({ path: join(screenshots, 'analysis.png'), fullPage: true });
}

// ---- The evaluation explained, against the native tool ----

function native_terms(fen)
{
    const lines = execFileSync(native_eval, ['--terms', ...fen.split(' ')], { encoding: 'utf8' }).trim().split('\n');
    const rows = {};
    for (const line of lines) {
        const words = line.trim().split(/\s+/);
        if (words.length === 3 && /^-?\d+$/.test(words[1]) && /^-?\d+$/.test(words[2]))
            rows[words[0]] = [Number(words[1]), Number(words[2])];
    }
    return { rows, score: Number(lines.at(-1)) };
}

async function terms(page)
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
        const native = native_terms(state.fen);
        const same = shown.score === native.score &&
                     Object.keys(native.rows).filter(term => term !== 'sum').every(term =>
                         JSON.stringify(shown.rows[term]) === JSON.stringify(native.rows[term]));
        check(same, `the page's terms are the native tool's for ${state.fen}: ${JSON.stringify(shown)} against ${JSON.stringify(native)}`);
        equal += same ? 1 : 0;
    }
    console.log(`terms equal to the native korvane-eval on ${equal} of ${fens.length} positions`);
    check(equal >= 20, `the terms' total equals the native evaluation on at least 20 positions (${equal})`);
}

// ---- A phone ----

async function phone()
{
    const page = await open_page('index.html', { width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
    await page.evaluate(() => localStorage.clear());
    await page.reload({ waitUntil: 'load' });
    await wait_for_state(page, ['person'], START_MS);
    const layout = await page.evaluate(() => {
        const board = document.getElementById('board').getBoundingClientRect();
        const controls = document.querySelector('.side-column').getBoundingClientRect();
        return { left: board.left, right: board.right, top: board.top, bottom: board.bottom, width: board.width,
                 controls_top: controls.top, scroll_width: document.documentElement.scrollWidth, inner: window.innerWidth };
    });
    check(layout.left >= 0 && layout.right <= layout.inner && layout.bottom <= 844 && layout.width >= 330,
          `at 390 x 844 the board is fully visible and fills the width (${JSON.stringify(layout)})`);
    check(layout.scroll_width <= layout.inner, `no horizontal scrolling at 390 x 844 (${layout.scroll_width} > ${layout.inner})`);
    check(layout.controls_top >= layout.bottom, 'the controls are below the board');
    const quick = await level_of(page, 'go depth 3');
    await choose(page, 'level', quick);
    const move = careful_move(new Chess());
    const state = await person_plays(page, move, 'touch', 'a move by touch');
    check(state.moves.length === 2, 'a move by touch is played and answered');
    await page.screenshot({ path: join(screenshots, 'phone.png') });
    await page.close();
}

// ---- The bench page ----

async function bench_page()
{
    const [depth, nodes] = readFileSync(join(repo, 'tests', 'data', 'bench_signature.txt'), 'utf8').trim().split(/\s+/);
    const page = await open_page('bench.html');
    await choose(page, 'depth', depth);
    await page.click('#run');
    await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 300000, polling: 100 });
    const result = await page.evaluate(() => document.body.dataset.result ?? '');
    console.log(`bench in Chromium at depth ${depth}: ${result}`);
    check(result.startsWith(`Bench: ${nodes} nodes`), `the bench in Chromium gives the signature ${nodes}: "${result}"`);
    await page.close();
}

// ---- Offline, and installable ----

async function offline()
{
    const page = await open_page('index.html');
    await wait_for_state(page, ['person', 'engine', 'over', 'analysis'], START_MS);
    const controlled = await page.evaluate(async () => {
        await navigator.serviceWorker.ready;
        return navigator.serviceWorker.controller !== null;
    });
    check(controlled, 'the service worker controls the page');
    const session = await page.createCDPSession();
    const { installabilityErrors } = await session.send('Page.getInstallabilityErrors');
    check(installabilityErrors.length === 0, `the page can be installed as an app: ${JSON.stringify(installabilityErrors)}`);

    // The network gone: the browser offline and the server stopped. A reload still plays.
    await page.setOfflineMode(true);
    stop_serving();
    await page.evaluate(() => localStorage.clear());
    await page.reload({ waitUntil: 'load' });
    const start = await wait_for_state(page, ['person'], START_MS);
    check(start.moves.length === 0 && await page.evaluate(() => globalThis.crossOriginIsolated),
          'offline the page loads, cross-origin isolated, with Korvane ready');
    const move = careful_move(new Chess());
    const state = await person_plays(page, move, 'click', 'offline');
    check(state.moves.length === 2, 'offline Korvane answers a move');
    await page.close();
}

// The page to play Korvane, in headless Chromium as a person uses it:
//   node tests/wasm/browser_test.mjs SITE SCREENSHOTS
// SITE is the assembled page (build-wasm/site), served by web/serve.mjs; SCREENSHOTS the folder
// for the pictures of a game in progress and of a finished one. Needs Debian's chromium and the
// page's packages (npm ci --prefix web), whose puppeteer-core drives the browser and whose
// chess.js checks every move independently of the page.
//
// A scripted person plays at least ten moves by clicks and drags, tries an illegal one, takes
// moves back (also while Korvane thinks), starts a new game as Black and plays it to its end;
// every engine reply must be legal and come within its think time and a generous margin. The
// bench page must give the bench signature. No console error may appear anywhere.
import { mkdirSync, readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

import { open_browser, repo } from './chromium.mjs';

const site = resolve(process.argv[2] ?? join(repo, 'build-wasm', 'site'));
const screenshots = resolve(process.argv[3] ?? join(repo, 'build-wasm', 'screenshots'));
const { Chess } = await import(pathToFileURL(join(repo, 'web', 'node_modules', 'chess.js', 'dist', 'esm', 'chess.js')));

const THINK_MS = 100;          // the page's shortest think time, to keep the test short
const MARGIN_MS = 10000;       // for the board's animation, a loaded machine and a cold start
const START_MS = 60000;        // the page's first load, engine included
const PERSON_MOVES = 10;       // at least this many moves in the first game
const LAST_GAME_PLIES = 300;   // the second game must have ended by then

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

// A fixed sequence of choices, so that every run plays the same person.
let seed = 12345;
function random_below(n)
{
    seed = (seed * 1103515245 + 12345) % 2147483648;
    return seed % n;
}

// ---- The server and the browser ----

const { browser, url, close } = await open_browser(site, { defaultViewport: { width: 1200, height: 900 } },
                                                    ['--window-size=1200,900']);

const console_errors = [];
async function open_page(path)
{
    const page = await browser.newPage();
    page.on('console', message => {
        if (message.type() === 'error')
            console_errors.push(`${path}: ${message.text()}`);
    });
    page.on('pageerror', error => console_errors.push(`${path}: ${error.message}`));
    page.on('requestfailed', request => console_errors.push(`${path}: failed to load ${request.url()}`));
    await page.goto(url + path, { waitUntil: 'load' });
    return page;
}

try {
    await play_page();
    await bench_page();
} catch (error) {
    failures.push(`the test stopped: ${error.stack ?? error}`);
    console.log(failures.at(-1));
} finally {
    await close();
}

check(console_errors.length === 0, `no console errors, but: ${console_errors.join('; ')}`);
console.log(`browser: ${checks - failures.length} passed, ${failures.length} failed`);
process.exit(failures.length === 0 ? 0 : 1);

// ---- The play page ----

async function state_of(page)
{
    return page.evaluate(() => ({
        state: document.body.dataset.state,
        fen: document.body.dataset.fen,
        moves: document.body.dataset.moves ? document.body.dataset.moves.split(' ') : [],
        status: document.getElementById('status').textContent,
        depth: document.getElementById('depth').textContent,
    }));
}

// Waits until the page is at one of the states; returns its state then.
async function wait_for_state(page, states, timeout_ms)
{
    await page.waitForFunction(wanted => wanted.includes(document.body.dataset.state), { timeout: timeout_ms, polling: 20 },
                               states);
    return state_of(page);
}

// Waits until the page is at the state with count moves played; returns its state then.
async function wait_for_moves(page, state, count, timeout_ms)
{
    await page.waitForFunction((wanted, n) => document.body.dataset.state === wanted &&
                                              (document.body.dataset.moves || '').split(' ').filter(Boolean).length === n,
                               { timeout: timeout_ms, polling: 20 }, state, count);
    return state_of(page);
}

// The game of the page's move list, replayed by the test's own rules; null when a move is illegal.
function replay(moves)
{
    const game = new Chess();
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

// The person's move, by two clicks or by a drag; a promotion is chosen in the board's dialog.
async function make_move(page, from, to, drag, promotion)
{
    const a = await centre_of(page, from);
    const b = await centre_of(page, to);
    if (drag) {
        await page.mouse.move(a.x, a.y);
        await page.mouse.down();
        await page.mouse.move(b.x, b.y, { steps: 8 });
        await page.mouse.up();
    } else {
        await page.mouse.click(a.x, a.y);
        await page.mouse.click(b.x, b.y);
    }
    if (promotion) {
        const choice = await page.waitForSelector(`#board [data-piece$="${promotion}"]`, { timeout: 5000 });
        await choice.click();
    }
}

async function choose(page, option_id, value)
{
    await page.select(`#${option_id}`, value);
}

// Plays the person's move and waits for Korvane's answer (or the game's end). Checks that the
// answer is legal and comes in time; returns the page's state after it.
async function person_plays(page, move, drag, label)
{
    const before = await state_of(page);
    const started = Date.now();
    await make_move(page, move.from, move.to, drag, move.promotion);
    await page.waitForFunction(count => (document.body.dataset.moves || '').split(' ').filter(Boolean).length > count,
                               { timeout: 5000, polling: 20 }, before.moves.length);
    const after = await wait_for_state(page, ['person', 'over'], THINK_MS + MARGIN_MS);
    const took = Date.now() - started;
    const game = replay(after.moves);
    check(game !== null, `${label}: every move on the page is legal (${after.moves.join(' ')})`);
    check(after.moves[before.moves.length] === move.lan, `${label}: the page played the person's ${move.lan}`);
    if (game && after.state === 'person') {
        check(after.moves.length === before.moves.length + 2, `${label}: Korvane answered ${move.lan} with one move`);
        check(took <= THINK_MS + MARGIN_MS, `${label}: Korvane answered in ${took} ms`);
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

async function play_page()
{
    const page = await open_page('index.html');
    const start = await wait_for_state(page, ['person'], START_MS);
    check(await page.evaluate(() => globalThis.crossOriginIsolated), 'the page is cross-origin isolated');
    check(start.moves.length === 0 && start.fen === new Chess().fen(), 'the page starts at the initial position');

    // An illegal move is refused: the board and the game stay as they were.
    await make_move(page, 'e2', 'e5', false);
    await make_move(page, 'g1', 'g3', true);
    await new Promise(done => setTimeout(done, 500));
    const refused = await state_of(page);
    check(refused.state === 'person' && refused.moves.length === 0, 'illegal moves e2e5 and g1g3 are refused');

    // The first game: the person plays White at the shortest think time, with clicks and drags.
    await choose(page, 'strength', String(THINK_MS));
    let state = refused;
    let played = 0;
    let depth_shown = false;
    let pictured = false;
    mkdirSync(screenshots, { recursive: true });
    while (played < PERSON_MOVES) {
        if (state.state === 'over') {
            await page.click('#new-game');
            state = await wait_for_moves(page, 'person', 0, MARGIN_MS);
        }
        const move = careful_move(replay(state.moves));
        state = await person_plays(page, move, played % 2 === 1, `game 1, move ${played + 1}`);
        depth_shown ||= /^\d+$/.test(state.depth);
        played++;
        // The picture of a game in progress: the first time a game has some moves behind it.
        if (!pictured && state.state === 'person' && state.moves.length >= 12) {
            await page.screenshot({ path: join(screenshots, 'game-in-progress.png') });
            pictured = true;
        }
    }
    check(depth_shown, "Korvane's thinking (its depth) was shown");
    if (!pictured)
        await page.screenshot({ path: join(screenshots, 'game-in-progress.png') });

    // Take back: the person's last move and Korvane's answer go.
    if (state.state === 'person') {
        const moves = state.moves;
        await page.click('#take-back');
        const back = await wait_for_moves(page, 'person', moves.length - 2, MARGIN_MS);
        check(back.moves.join(' ') === moves.slice(0, -2).join(' '), 'take back removes the last move and its answer');
        check(back.fen === replay(back.moves)?.fen(), 'after take back the page shows the position before');

        // And while Korvane thinks: its search is stopped and its answer never played.
        await choose(page, 'strength', '3000');
        const move = random_move(replay(back.moves));
        await make_move(page, move.from, move.to, false, move.promotion);
        await wait_for_moves(page, 'engine', back.moves.length + 1, 5000);
        await page.click('#take-back');
        const again = await wait_for_moves(page, 'person', back.moves.length, MARGIN_MS);
        await new Promise(done => setTimeout(done, 1500));
        const later = await state_of(page);
        check(again.moves.join(' ') === back.moves.join(' ') && later.moves.join(' ') === back.moves.join(' ') &&
              later.state === 'person', 'take back while Korvane thinks keeps its answer off the board');
        await choose(page, 'strength', String(THINK_MS));
    }

    // Flip: the a1 square goes from the bottom of the board to the top and back.
    const a1_before = await centre_of(page, 'a1');
    await page.click('#flip');
    await new Promise(done => setTimeout(done, 300));
    const a1_flipped = await centre_of(page, 'a1');
    await page.click('#flip');
    check(a1_flipped.y < a1_before.y, 'flip turns the board');

    // New game, as Black: Korvane opens, and the person helps it to end the game.
    await choose(page, 'colour', 'b');
    await page.click('#new-game');
    state = await wait_for_moves(page, 'person', 1, THINK_MS + MARGIN_MS);
    check(state.moves.length === 1 && replay(state.moves) !== null, 'a new game as Black starts with Korvane\'s move');
    let plies = 0;
    while (state.state === 'person' && plies < LAST_GAME_PLIES) {
        state = await person_plays(page, helpful_move(replay(state.moves)), plies % 4 === 2, `game 2, ply ${state.moves.length + 1}`);
        plies += 2;
    }
    check(state.state === 'over', `the second game ended (${state.status})`);
    check(/Checkmate|Stalemate|Draw/.test(state.status), `the end is announced: "${state.status}"`);
    await page.screenshot({ path: join(screenshots, 'game-finished.png') });
    console.log(`game 2 ended after ${state.moves.length} plies: ${state.status}`);

    // A new game after the end.
    await choose(page, 'colour', 'w');
    await page.click('#new-game');
    state = await wait_for_moves(page, 'person', 0, MARGIN_MS);
    check(state.moves.length === 0 && state.fen === new Chess().fen(), 'new game starts again from the initial position');
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

// What the checks of the page share: the tally of checks, a scripted person's hands (clicks,
// drags, taps, keys), what the page shows (its body's data attributes and its fields), and the
// test's own rules (chess.js from the page's packages), which judge every move independently of
// the page.
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

import { repo } from '../chromium.mjs';

export const { Chess } = await import(pathToFileURL(join(repo, 'web', 'node_modules', 'chess.js', 'dist', 'esm', 'chess.js')));

export const MARGIN_MS = 15000;  // for the board's animation, a loaded machine and a cold start
export const START_MS = 60000;   // the page's first load, engine included

export const failures = [];
let checks = 0;
export function check(condition, text)
{
    checks++;
    if (!condition) {
        failures.push(text);
        console.log(`FAILED: ${text}`);
    }
    return condition;
}
export function tally()
{
    return { passed: checks - failures.length, failed: failures.length };
}

export function pause(ms)
{
    return new Promise(done => setTimeout(done, ms));
}

// A fixed sequence of choices, so that every run plays the same person.
let seed = 12345;
export function random_below(n)
{
    seed = (seed * 1103515245 + 12345) % 2147483648;
    return seed % n;
}

// ---- Pages, and the errors they report ----

export const console_errors = [];
export async function open_page(browser, url, path, viewport)
{
    const page = await browser.newPage();
    if (viewport)
        await page.setViewport(viewport);
    const expected = url => page.expected_failures?.some(part => url?.includes(part));
    page.on('console', message => {
        if (message.type() === 'error' && !expected(message.location()?.url))
            console_errors.push(`${path}: ${message.text()}`);
    });
    page.on('pageerror', error => console_errors.push(`${path}: ${error.message}`));
    page.on('requestfailed', request => {
        if (!request.url().startsWith('blob:') && !expected(request.url()))
            console_errors.push(`${path}: failed to load ${request.url()}`);
    });
    await page.goto(url + path, { waitUntil: 'load' });
    return page;
}

// The page started afresh, with stored (what an earlier page kept) in its storage. The storage
// is written from the bench page of the same site: the page saves what it holds as it goes.
export async function fresh(page, stored)
{
    const site = page.url();
    await page.goto(new URL('bench.html', site).href, { waitUntil: 'load' });
    await page.evaluate(value => {
        localStorage.clear();
        if (value)
            localStorage.setItem('korvane-page', JSON.stringify(value));
    }, stored ?? null);
    await page.goto(new URL('index.html', site).href, { waitUntil: 'load' });
    return wait_for_state(page, ['person', 'engine', 'over', 'analysis', 'review'], START_MS);
}

// ---- What the page shows ----

export async function state_of(page)
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
        score: document.getElementById('score').textContent,
        line: document.getElementById('line').textContent,
        bar: document.getElementById('eval-text').textContent,
        level: document.getElementById('level').value,
        colour: document.getElementById('colour').value,
        message: document.getElementById('load-message').textContent,
        pgn: document.getElementById('pgn-out').value,
        sent: globalThis.korvane_log ? [...globalThis.korvane_log] : [],
    }));
}

export async function wait_for(page, predicate, argument, timeout_ms)
{
    await page.waitForFunction(predicate, { timeout: timeout_ms, polling: 20 }, argument);
    return state_of(page);
}

export function wait_for_state(page, states, timeout_ms)
{
    return wait_for(page, wanted => wanted.includes(document.body.dataset.state), states, timeout_ms);
}

export function wait_for_moves(page, state, count, timeout_ms)
{
    return wait_for(page, ([wanted, n]) => document.body.dataset.state === wanted &&
                                           (document.body.dataset.moves || '').split(' ').filter(Boolean).length === n,
                    [state, count], timeout_ms);
}

// The pieces the board draws, as the first field of a FEN.
export async function board_placement(page)
{
    const pieces = await page.$$eval('#board g[data-piece][data-square]', groups =>
        groups.map(group => [group.dataset.square, group.dataset.piece]));
    const board = Array.from({ length: 8 }, () => Array(8).fill(''));
    for (const [square, piece] of pieces) {
        const letter = piece[1];
        board[8 - Number(square[1])][square.charCodeAt(0) - 97] = piece[0] === 'w' ? letter.toUpperCase() : letter;
    }
    return board.map(rank => rank.map(piece => piece || '1').join('').replace(/1+/g, ones => String(ones.length))).join('/');
}

// ---- The test's own rules ----

// The game of the page's move list, replayed by the test's own rules; null when a move is illegal.
export function replay(moves, fen)
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

export function random_move(game)
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
export function helpful_move(game)
{
    return game.moves({ verbose: true }).find(move => allows_mate(game, move)) ?? random_move(game);
}

// A person who at least sees a mate in one coming, so that the game lasts.
export function careful_move(game)
{
    for (let tries = 0; tries < 20; tries++) {
        const move = random_move(game);
        if (!allows_mate(game, move))
            return move;
    }
    return random_move(game);
}

// A game of seeded random moves that does not end within plies, as PGN.
export function long_game_pgn(plies)
{
    const game = new Chess();
    while (game.history().length < plies) {
        const moves = game.moves({ verbose: true });
        // Pawn moves now and then keep the fifty-move rule away; nothing may end the game.
        const pawn = game.history().length % 30 === 29 ? moves.filter(move => move.piece === 'p') : [];
        const pool = pawn.length > 0 ? pawn : moves;
        let played = false;
        for (let tries = 0; tries < 30 && !played; tries++) {
            const move = pool[random_below(pool.length)];
            game.move(move);
            if (game.isGameOver())
                game.undo();
            else
                played = true;
        }
        if (!played)
            game.move(pool[0]);
    }
    return game.pgn();
}

// ---- The person's hands ----

export async function centre_of(page, square)
{
    return page.$eval(`#board rect[data-square="${square}"]`, rect => {
        rect.scrollIntoView({ block: 'nearest' });
        const box = rect.getBoundingClientRect();
        return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
    });
}

// The person's move, by two clicks, a drag or two taps; a promotion is chosen in the board's dialog.
export async function make_move(page, from, to, how, promotion)
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

export async function choose(page, id, value)
{
    await page.select(`#${id}`, value);
}

// The level whose "go" is the one given, as the page lists it.
export async function level_of(page, go)
{
    return page.$eval(`#level option[data-go="${go}"]`, option => option.value);
}

// Plays the person's move and waits for Korvane's answer (or the game's end). Checks that the
// answer is legal; returns the page's state after it.
export async function person_plays(page, move, how, label)
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

// Opens the game record, whose PGN is written while it is open.
export async function open_record(page)
{
    await page.$eval('#record', details => { details.open = true; });
    await page.waitForFunction(() => document.getElementById('pgn-out').value !== '', { timeout: 5000, polling: 20 });
}

// Puts text into a field of the game record and presses its button.
export async function load_text(page, input, button, text)
{
    await open_record(page);
    await page.$eval(`#${input}`, (field, value) => { field.value = value; }, text);
    await page.click(`#${button}`);
    await pause(300);
    return state_of(page);
}

// A 30-move game with a comment and a variation, as PGN: seeded random play.
export function thirty_move_pgn()
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

// Faults a player met on the page, each checked as the player met it: what the thinking panel
// shows after the game changes, a finished game, the colour chosen while Korvane thinks, a PGN
// file of several games, move numbers from a FEN with Black to move, a graph whose engine fails,
// quick stepping, what a reload keeps, a hidden tab, and the cost of a step in a long game.
import { Chess, MARGIN_MS, centre_of, check, choose, fresh, level_of, load_text, long_game_pgn, make_move,
         open_page, pause, state_of, thirty_move_pgn, wait_for, wait_for_moves, wait_for_state } from './driver.mjs';

const NOTHING = '–';

function nothing_shown(state)
{
    return state.depth === NOTHING && state.score === NOTHING && state.line === NOTHING && state.bar === '';
}

// Plays e2e4 at depth 5 and waits until Korvane's thinking about its answer is shown.
async function korvane_thinks(page)
{
    await choose(page, 'level', await level_of(page, 'go depth 5'));
    await make_move(page, 'e2', 'e4', 'click');
    const after = await wait_for_moves(page, 'person', 2, MARGIN_MS);
    check(/^\d+$/.test(after.depth), `Korvane's thinking is shown after its answer (depth "${after.depth}")`);
    return after;
}

async function thinking_forgotten(page)
{
    await fresh(page);
    await korvane_thinks(page);
    await page.click('#new-game');
    let state = await wait_for_moves(page, 'person', 0, MARGIN_MS);
    check(nothing_shown(state), `after "New game" the panel and the bar show no thinking (${state.depth} ${state.score} ${state.line} "${state.bar}")`);

    await korvane_thinks(page);
    await page.click('#take-back');
    state = await wait_for_moves(page, 'person', 0, MARGIN_MS);
    check(nothing_shown(state), `after "Take back" the panel and the bar show no thinking (${state.depth} ${state.score} ${state.line})`);

    await korvane_thinks(page);
    state = await load_text(page, 'pgn-in', 'load-pgn', '1. d4 d5 *');
    state = await wait_for_state(page, ['person'], MARGIN_MS);
    check(state.depth === NOTHING && state.line === NOTHING && state.thinking_fen === '',
          `after a loaded game the panel shows no thinking of the old game (${state.depth} ${state.line})`);
}

async function loaded_game_and_mode_change(page)
{
    // A position loaded with Black chosen: the board turns to Black, as for a new game.
    await fresh(page);
    await choose(page, 'colour', 'b');
    await choose(page, 'level', await level_of(page, 'go depth 1'));
    await load_text(page, 'fen-in', 'load-fen', 'r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3');
    await wait_for_state(page, ['person'], MARGIN_MS);
    const a1 = await centre_of(page, 'a1');
    const a8 = await centre_of(page, 'a8');
    check(a1.y < a8.y, 'a position loaded with Black chosen is shown from Black\'s side');

    // The analysis of the person's position is no hint once Korvane plays again.
    await page.click('#mode-analyse');
    await wait_for(page, () => document.body.dataset.thinkingFen === document.body.dataset.fen, null, 60000);
    await page.click('#mode-play');
    const state = await wait_for_state(page, ['person'], MARGIN_MS);
    check(state.depth === NOTHING && state.line === NOTHING, `back in play, the analysis is not shown as Korvane's thinking (${state.line})`);
    await choose(page, 'colour', 'w');
}

async function finished_game_stays_finished(page)
{
    await fresh(page);
    await choose(page, 'level', await level_of(page, 'go depth 1'));
    // Black resigned: Black (Korvane, the person playing White) is to move, and the game is over.
    const pgn = '[Event "Club"]\n[White "A"]\n[Black "B"]\n[Result "1-0"]\n\n1. e4 e5 2. Qh5 Nc6 3. Bc4 1-0\n';
    await load_text(page, 'pgn-in', 'load-pgn', pgn);
    await pause(2500);
    let state = await state_of(page);
    check(state.moves.length === 5, `Korvane does not play on in a game that ended 1-0 (${state.moves.join(' ')})`);
    check(/1-0/.test(state.status), `the status says how the game ended: "${state.status}"`);
    check(state.pgn.includes('[Result "1-0"]'), 'the finished game keeps its result');

    await page.click('#mode-analyse');
    state = await wait_for(page, () => document.body.dataset.state === 'analysis' &&
                                       document.body.dataset.thinkingFen === document.body.dataset.fen, null, 60000);
    check(state.mode === 'analyse', 'the finished game can be analysed');
    await make_move(page, 'g8', 'f6', 'click');
    state = await wait_for(page, () => document.body.dataset.view === '6', null, 5000);
    check(state.moves.length === 6 && state.pgn.includes('[Result "*"]') && !state.pgn.includes('1-0'),
          `a move that rewrites the game makes its result "*" (${state.moves.length} plies)`);
    await page.click('#mode-play');
}

async function colour_kept(page)
{
    await fresh(page);
    await choose(page, 'level', await level_of(page, 'go movetime 1000'));
    await make_move(page, 'e2', 'e4', 'click');
    await wait_for_moves(page, 'engine', 1, 5000);
    await choose(page, 'colour', 'b');
    let state = await wait_for_moves(page, 'person', 2, MARGIN_MS);
    check(state.colour === 'b', `the colour chosen while Korvane thought stays chosen after its move (${state.colour})`);
    await choose(page, 'level', await level_of(page, 'go depth 1'));
    await page.click('#new-game');
    state = await wait_for_moves(page, 'person', 1, MARGIN_MS);
    check(state.moves.length === 1, 'the next new game is played with the chosen colour: Korvane opens as White');
}

function database(count)
{
    const games = [
        ['Tal, Mikhail', 'Koblents, Alexander', '1957.01.20', '1-0', '1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 1-0'],
        ['Smith, Ann', 'Jones, Bo', '2024.05.01', '1/2-1/2', '1. d4 Nf6 2. c4 e6 3. Nc3 Bb4 1/2-1/2'],
        ['Lee, Chi', 'Park, Dae', '2025.11.30', '0-1', '1. c4 e5 2. g3 Nf6 0-1'],
    ].slice(0, count);
    return games.map(([white, black, date, result, moves]) =>
        `[Event "Open"]\n[Site "Here"]\n[Date "${date}"]\n[Round "1"]\n[White "${white}"]\n[Black "${black}"]\n[Result "${result}"]\n\n${moves}\n`).join('\n');
}

async function pgn_of_several_games(page)
{
    await fresh(page);
    await load_text(page, 'pgn-in', 'load-pgn', database(3));
    const listed = await page.waitForSelector('#game-list button', { timeout: 5000 }).then(() =>
        page.$$eval('#game-list button', buttons => buttons.map(button => button.textContent))).catch(() => []);
    check(listed.length === 3, `a PGN of three games lists them (${listed.length}; message "${(await state_of(page)).message}")`);
    check(listed.length === 3 && listed[1].includes('Smith, Ann') && listed[1].includes('Jones, Bo') &&
          listed[1].includes('1/2-1/2') && listed[1].includes('2024'), `each with its players, result and date ("${listed[1]}")`);
    if (listed.length !== 3)
        return;
    await page.click('#game-list li:nth-child(2) button');
    const state = await wait_for(page, () => (document.body.dataset.moves || '').split(' ').length === 6, null, 5000);
    check(state.moves.join(' ') === 'd2d4 g8f6 c2c4 e7e6 b1c3 f8b4', `the game picked is loaded (${state.moves.join(' ')})`);
}

async function numbers_from_black(page)
{
    await fresh(page);
    const pgn = '[FEN "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 3 12"]\n[SetUp "1"]\n\n12... Nf6 13. Nc3 Bc5 14. d3 *\n';
    await load_text(page, 'pgn-in', 'load-pgn', pgn);
    await wait_for(page, () => document.body.dataset.graph === 'done', null, 120000);
    await page.click('h1');
    await page.keyboard.press('Home');
    await page.keyboard.press('ArrowRight');
    const state = await wait_for(page, () => document.body.dataset.view === '1', null, 5000);
    check(/12(…|\.\.\.) ?Nf6/.test(state.status) && !/Move 1 of/.test(state.status),
          `the status numbers the move shown as the game does: "${state.status}"`);
    const titles = await page.$$eval('#graph .graph-point title', nodes => nodes.map(node => node.textContent));
    check(/12(…|\.\.\.)/.test(titles[1] ?? '') && /13\./.test(titles[2] ?? '') && /14\./.test(titles[4] ?? ''),
          `the graph's points are numbered as the game is (${titles.slice(1, 3).join(' | ')})`);
}

async function graph_engine_fails(browser, url)
{
    const page = await open_page(browser, url, 'index.html');
    page.expected_failures = ['korvane-worker.mjs'];
    await page.setBypassServiceWorker(true);
    await page.setCacheEnabled(false);
    await fresh(page);
    // The graph's engine is the next one to start: its worker's script cannot be had.
    await page.setRequestInterception(true);
    page.on('request', request => (request.url().includes('korvane-worker.mjs') ? request.abort() : request.continue()));
    await load_text(page, 'pgn-in', 'load-pgn', '1. e4 e5 2. Nf3 Nc6 *');
    const ended = await page.waitForFunction(() => !/Evaluating/.test(document.getElementById('graph-status').textContent),
                                             { timeout: 10000, polling: 50 }).then(() => true, () => false);
    const state = await page.evaluate(() => [document.body.dataset.graph, document.getElementById('graph-status').textContent]);
    check(ended && state[0] === 'failed' && /stopped|failed|could not/i.test(state[1]),
          `when the graph's engine fails, the graph says so instead of evaluating for ever (${state.join(': ')})`);
    await page.close();
}

async function stepping_is_immediate(page)
{
    await fresh(page);
    await load_text(page, 'pgn-in', 'load-pgn', thirty_move_pgn());
    await page.click('h1');
    await page.keyboard.press('Home');
    await wait_for(page, () => document.body.dataset.view === '0' && document.body.dataset.state !== 'busy', null, 5000);
    await pause(500);
    for (let i = 0; i < 24; i++)
        await page.keyboard.press('ArrowRight');
    // Counted in the page's frames from the last key: 6 frames are 100 ms at 60 frames a second.
    const frames = await page.evaluate(async () => {
        const placement = () => {
            const board = Array.from({ length: 8 }, () => Array(8).fill('1'));
            for (const group of document.querySelectorAll('#board g[data-piece][data-square]')) {
                const [colour, letter] = group.dataset.piece;
                const square = group.dataset.square;
                board[8 - Number(square[1])][square.charCodeAt(0) - 97] = colour === 'w' ? letter.toUpperCase() : letter;
            }
            return board.map(rank => rank.join('').replace(/1+/g, ones => String(ones.length))).join('/');
        };
        const shown = () => {
            const current = document.querySelector('#moves [aria-current]');
            const moving = [...document.querySelectorAll('#board g[data-piece]')].some(group => group.getAnimations?.().length);
            return current?.dataset.ply === '24' && document.body.dataset.view === '24' &&
                   placement() === document.body.dataset.fen.split(' ')[0] && !moving;
        };
        for (let frame = 0; frame < 300; frame++) {
            if (shown())
                return frame;
            await new Promise(done => requestAnimationFrame(done));
        }
        return 300;
    });
    check(frames <= 6, `after 24 quick steps the board and the move list show ply 24 within 6 frames of the last key (${frames})`);
}

async function reload_keeps_what_it_can(page)
{
    // A game that no longer replays, kept by an earlier page (its level an index in the list).
    await fresh(page, { start_fen: 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1', moves: ['e2e5'], tags: {}, view: 1,
                        mode: 'play', person: 'b', level: 6, korvane_side: 'w', orientation: 'black', graph: null });
    const state = await state_of(page);
    const a1 = await centre_of(page, 'a1');
    const a8 = await centre_of(page, 'a8');
    check(state.moves.length <= 1 && state.level === await level_of(page, 'go movetime 1000') && state.colour === 'b' && a1.y < a8.y,
          `a stored game that does not replay is dropped alone: the level, colour and orientation stay (${state.level}, ${state.colour})`);
    await choose(page, 'level', await level_of(page, 'go depth 2'));
    await pause(300);
    const stored = await page.evaluate(() => JSON.parse(localStorage.getItem('korvane-page')));
    check(Number.isInteger(stored?.version) && typeof stored?.level === 'string' && stored.level === await level_of(page, 'go depth 2'),
          `the page stores a format version and the level by what it is (${JSON.stringify({ version: stored?.version, level: stored?.level })})`);
}

async function hidden_tab_pauses(page)
{
    await fresh(page);
    await page.click('#mode-analyse');
    await wait_for(page, () => document.body.dataset.thinkingFen === document.body.dataset.fen, null, 60000);
    const set_hidden = hidden => page.evaluate(value => {
        Object.defineProperty(document, 'visibilityState', { value: value ? 'hidden' : 'visible', configurable: true });
        Object.defineProperty(document, 'hidden', { value, configurable: true });
        document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    const sent_before = (await state_of(page)).sent.length;
    await set_hidden(true);
    await pause(1500);
    const hidden = await state_of(page);
    const after = hidden.sent.slice(sent_before);
    check(after.includes('stop') && !after.slice(after.lastIndexOf('stop')).some(line => line.startsWith('go')),
          `analysis stops while the tab is hidden (sent: ${after.join(' | ')})`);
    await set_hidden(false);
    const shown = await wait_for(page, from => globalThis.korvane_log.slice(from).includes('go infinite'), hidden.sent.length, 5000)
        .catch(() => state_of(page));
    check(shown.sent.slice(hidden.sent.length).includes('go infinite'), 'analysis resumes when the tab is shown again');
    await page.click('#mode-play');
}

// Script time per step back through a game restored from storage (no graph, the person to move).
async function script_per_step(page, plies)
{
    const game = new Chess();
    game.loadPgn(long_game_pgn(plies));
    const moves = game.history({ verbose: true }).map(move => move.lan);
    await fresh(page, { start_fen: new Chess().fen(), moves, tags: {}, view: moves.length, mode: 'play',
                        person: moves.length % 2 === 0 ? 'w' : 'b', level: 0, korvane_side: null, orientation: 'white', graph: null });
    await page.click('h1');
    await pause(500);
    const session = await page.createCDPSession();
    await session.send('Performance.enable');
    const script = async () => (await session.send('Performance.getMetrics')).metrics.find(metric => metric.name === 'ScriptDuration').value;
    const STEPS = 20;
    const before = await script();
    for (let i = 0; i < STEPS; i++) {
        await page.keyboard.press('ArrowLeft');
        await pause(150);
    }
    const ms = ((await script()) - before) * 1000 / STEPS;
    const state = await state_of(page);
    check(state.view === moves.length - STEPS, `${plies / 2} moves stepped back ${STEPS} times (at ply ${state.view})`);
    await session.detach();
    return ms;
}

async function long_game_steps_fast(page)
{
    const short = await script_per_step(page, 60);
    const long = await script_per_step(page, 600);
    console.log(`script per step: ${short.toFixed(2)} ms in a 30-move game, ${long.toFixed(2)} ms in a 300-move game`);
    check(long <= 2 * short + 2 && long <= 8, `a 300-move game steps as fast as a 30-move one (${long.toFixed(2)} ms against ${short.toFixed(2)} ms)`);
}

// only: the names of the checks to run (all when not given).
export async function faults(browser, url, only = null)
{
    const page = await open_page(browser, url, 'index.html');
    const groups = [thinking_forgotten, loaded_game_and_mode_change, finished_game_stays_finished, colour_kept, pgn_of_several_games,
                    numbers_from_black, stepping_is_immediate, reload_keeps_what_it_can, hidden_tab_pauses, long_game_steps_fast];
    for (const group of groups.filter(group => !only || only.includes(group.name))) {
        try {
            await group(page);
        } catch (error) {
            check(false, `${group.name} stopped: ${error.message}`);
        }
    }
    await page.evaluate(() => localStorage.clear());
    await page.close();
    if (only && !only.includes('graph_engine_fails'))
        return;
    try {
        await graph_engine_fails(browser, url);
    } catch (error) {
        check(false, `graph_engine_fails stopped: ${error.message}`);
    }
}

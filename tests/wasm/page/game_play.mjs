// A person plays Korvane: illegal moves refused; ten moves by clicks and drags with every reply
// checked for legality; a reload in the middle of the game keeps it and its level; take back (also
// while Korvane thinks); flip; a whole game at the weakest level, to its end. Then the game record:
// the finished game's PGN goes out and back in as the same game and the same PGN, and a malformed
// PGN or FEN gets a message and leaves the board as it was.
import { join } from 'node:path';

import { Chess, MARGIN_MS, START_MS, careful_move, centre_of, check, choose, helpful_move, level_of, load_text, make_move,
         open_page, open_record, pause, person_plays, random_move, replay, state_of, wait_for, wait_for_moves, wait_for_state } from './driver.mjs';

const PERSON_MOVES = 10;       // at least this many moves in the first game
const LAST_GAME_PLIES = 400;   // the game at the weakest level must have ended by then

export async function play_page(context)
{
    const page = await open_page(context.browser, context.url, 'index.html');
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
            await page.screenshot({ path: join(context.screenshots, 'desktop-play.png') });
            pictured = true;
        }
    }
    check(depth_shown, "Korvane's thinking (its depth) was shown");
    if (!pictured)
        await page.screenshot({ path: join(context.screenshots, 'desktop-play.png') });

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
    await open_record(page);
    check(/\[Result "(1-0|0-1|1\/2-1\/2)"\]/.test((await state_of(page)).pgn), 'the PGN of the finished game has its result');
    const graphed = await wait_for(page, () => document.body.dataset.graph !== 'none', null, 5000);
    check(graphed.graph !== 'none', 'the graph of a finished game starts by itself');
    await page.screenshot({ path: join(context.screenshots, 'game-finished.png') });
    console.log(`the game at the weakest level ended after ${state.moves.length} plies: ${state.status}`);
    return page;
}

export async function record(page)
{
    await open_record(page);
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

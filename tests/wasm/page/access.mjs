// The page for everyone: moves typed as SAN or coordinates, a board a screen reader can read and
// that announces the moves, and axe-core's rules on the desktop and phone layouts, in play and
// in analysis.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

import { repo } from '../chromium.mjs';
import { START_MS, check, choose, fresh, level_of, load_text, make_move, open_page, pause, state_of, wait_for, wait_for_moves, wait_for_state } from './driver.mjs';

const AXE = readFileSync(join(repo, 'web', 'node_modules', 'axe-core', 'axe.min.js'), 'utf8');
const PHONE = { width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true };

async function type_move(page, text)
{
    await page.click('h1');
    await page.keyboard.press('/');
    const focused = await page.evaluate(() => document.activeElement?.id);
    await page.keyboard.type(text);
    await page.keyboard.press('Enter');
    return focused;
}

async function typed_moves(page)
{
    await choose(page, 'level', await level_of(page, 'go depth 1'));
    const focused = await type_move(page, 'e4');
    check(focused === 'move-input', `"/" puts the keyboard in the move field (${focused})`);
    let state = await wait_for_moves(page, 'person', 2, 15000);
    check(state.moves[0] === 'e2e4', 'a move typed as SAN is played');
    const korvane_square = state.moves[1].slice(2, 4);
    const said = await page.$eval('#announce', region => region.textContent);
    check(said.includes('Korvane') && said.includes(korvane_square), `Korvane's move is announced to a screen reader ("${said}")`);
    await type_move(page, 'g1f3');
    state = await wait_for_moves(page, 'person', 4, 15000);
    check(state.moves[2] === 'g1f3', 'a move typed as coordinates is played');

    // Castling and promotion, typed, in analysis of a position where both can be played.
    await page.click('#mode-analyse');
    await load_text(page, 'fen-in', 'load-fen', '4k3/1P6/8/8/8/8/8/R3K2R w KQ - 0 1');
    for (const [text, uci] of [['b8=Q+', 'b7b8q'], ['Kd7', 'e8d7'], ['O-O', 'e1g1']]) {
        const before = (await state_of(page)).moves.length;
        await type_move(page, text);
        state = await wait_for(page, n => (document.body.dataset.moves || '').split(' ').filter(Boolean).length === n + 1, before, 5000)
            .catch(() => state_of(page));
        check(state.moves.at(-1) === uci, `"${text}" is played as ${uci} (${state.moves.join(' ')})`);
    }
    const before = await state_of(page);
    await type_move(page, 'Qz9');
    await pause(300);
    const refused = await state_of(page);
    const message = await page.$eval('#move-message', node => node.textContent);
    check(refused.moves.join(' ') === before.moves.join(' ') && message.length > 5, `a move that cannot be played is refused with a message ("${message}")`);
    await page.click('#mode-play');
}

async function board_for_screen_readers(page)
{
    const board = await page.evaluate(() => {
        const svg = document.querySelector('#board svg');
        const table = document.querySelector('#board .cm-chessboard-accessibility table');
        return { role: svg?.getAttribute('role'), name: svg?.getAttribute('aria-label') ?? '', cells: table?.textContent ?? '' };
    });
    check(board.name.length > 0 && /Rook|King/.test(board.cells), `the board has a name and is read out square by square (${JSON.stringify(board).slice(0, 120)})`);
}

async function axe_violations(page)
{
    if (!await page.evaluate(() => typeof globalThis.axe !== 'undefined'))
        await page.addScriptTag({ content: AXE });
    return page.evaluate(async () => {
        const result = await globalThis.axe.run(document, { resultTypes: ['violations'] });
        return result.violations.map(violation => `${violation.id} (${violation.impact}): ${violation.nodes.map(node => node.target.join(' ')).join(', ')}`);
    });
}

export async function no_violations(page, label)
{
    await page.$eval('#record', details => { details.open = true; });
    const violations = await axe_violations(page);
    check(violations.length === 0, `axe-core finds no violation, ${label}: ${violations.join('; ')}`);
}

async function audited(page, layout)
{
    await choose(page, 'level', await level_of(page, 'go depth 1'));
    await page.click('#mode-play');
    await page.click('#new-game');
    await wait_for_moves(page, 'person', 0, 15000);
    await make_move(page, 'e2', 'e4', layout === 'phone' ? 'touch' : 'click');
    await wait_for_moves(page, 'person', 2, 15000);  // a game under way: the move list has moves
    await no_violations(page, `${layout}, in play`);
    await page.click('#mode-analyse');
    await wait_for(page, () => document.body.dataset.thinkingFen === document.body.dataset.fen, null, 60000);
    await no_violations(page, `${layout}, in analysis`);
    await page.click('#mode-play');
}

export async function access(browser, url)
{
    const page = await open_page(browser, url, 'index.html');
    await fresh(page);
    for (const group of [typed_moves, board_for_screen_readers, page_ => audited(page_, 'desktop')]) {
        try {
            await group(page);
        } catch (error) {
            check(false, `${group.name || 'the audit'} stopped: ${error.message}`);
        }
    }
    await page.close();
    const phone = await open_page(browser, url, 'index.html', PHONE);
    try {
        await wait_for_state(phone, ['person'], START_MS);
        await audited(phone, 'phone');
    } catch (error) {
        check(false, `the phone's audit stopped: ${error.message}`);
    }
    await phone.close();
}

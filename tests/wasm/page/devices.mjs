// The page on a phone (the board fills the width, a move by touch), the bench page (its node
// count is the bench signature), and the page installable and offline: with the network gone, a
// reload still plays.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

import { repo } from '../chromium.mjs';
import { Chess, START_MS, careful_move, check, choose, fresh, level_of, open_page, person_plays, wait_for_state } from './driver.mjs';

export async function phone(context)
{
    const page = await open_page(context.browser, context.url, 'index.html', { width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
    await fresh(page);
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
    await page.screenshot({ path: join(context.screenshots, 'phone.png') });
    await page.close();
}

export async function bench_page(context)
{
    const [depth, nodes] = readFileSync(join(repo, 'tests', 'data', 'bench_signature.txt'), 'utf8').trim().split(/\s+/);
    const page = await open_page(context.browser, context.url, 'bench.html');
    await choose(page, 'depth', depth);
    await page.click('#run');
    await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 300000, polling: 100 });
    const result = await page.evaluate(() => document.body.dataset.result ?? '');
    console.log(`bench in Chromium at depth ${depth}: ${result}`);
    check(result.startsWith(`Bench: ${nodes} nodes`), `the bench in Chromium gives the signature ${nodes}: "${result}"`);
    await page.close();
}

export async function offline(context)
{
    const page = await open_page(context.browser, context.url, 'index.html');
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
    context.stop_serving();
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

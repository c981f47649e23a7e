// The page offline, as a host with a long cache lifetime serves it: the service worker keeps fresh
// copies (not the browser's cached ones), answers a file it does not keep with a clear offline
// message, and a new version waits until the person reloads instead of taking over a running page.
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { serve } from '../chromium.mjs';
import { START_MS, check, open_page, wait_for_state } from './driver.mjs';

const version_of = text => text.match(/const VERSION = '([^']*)'/)?.[1];
const files_of = text => [...(text.match(/const FILES = \[([^\]]*)\]/)?.[1] ?? '').matchAll(/'([^']*)'/g)].map(found => found[1]);

async function ready(page)
{
    await wait_for_state(page, ['person', 'engine', 'over', 'analysis'], START_MS);
    return page.evaluate(async () => {
        await navigator.serviceWorker.ready;
        return (await caches.keys()).filter(name => name.startsWith('korvane-'));
    });
}

async function fresh_copies(browser, site)
{
    const requests = [];
    const { server, url } = await serve(site, ['--max-age', '86400', '--log'], line => requests.push(line));
    try {
        const page = await open_page(browser, url, 'index.html');
        await ready(page);
        const files = files_of(readFileSync(join(site, 'sw.js'), 'utf8'));
        const fetched_fresh = new Set(requests.filter(line => /\(no-cache\)$/.test(line)).map(line => line.split(' ')[1].slice(1)));
        const stale = files.filter(file => !fetched_fresh.has(file === './' ? '' : file));
        check(files.length > 10 && stale.length === 0,
              `the service worker fetches every file fresh from the server, past the HTTP cache (${stale.length} not: ${stale.slice(0, 4).join(' ')})`);
        await page.close();
    } finally {
        server.kill();
    }
}

async function offline_answer_and_next_version(browser, site)
{
    const { server, url } = await serve(site);
    let stopped = false;
    try {
        const page = await open_page(browser, url, 'index.html');
        page.expected_failures = ['not-kept.txt'];
        const first = await ready(page);
        await page.reload({ waitUntil: 'load' });
        await ready(page);
        check(await page.evaluate(() => navigator.serviceWorker.controller !== null), 'the page is run by its service worker after one visit');

        // A new version on the server: found, installed, and waiting for the person.
        const sw = readFileSync(join(site, 'sw.js'), 'utf8');
        writeFileSync(join(site, 'sw.js'), sw.replace(version_of(sw), 'next-version'));
        await page.evaluate(() => {
            globalThis.controller_changes = 0;
            navigator.serviceWorker.addEventListener('controllerchange', () => ++globalThis.controller_changes);
            return navigator.serviceWorker.getRegistration().then(registration => registration.update());
        });
        // Installed: it waits, or (as a worker that skips waiting would) it has taken over already.
        await page.waitForFunction(async () => globalThis.controller_changes > 0 ||
                                                (await navigator.serviceWorker.getRegistration())?.waiting !== null,
                                   { timeout: 30000, polling: 100 });
        const offered = await page.waitForFunction(() => document.getElementById('update')?.hidden === false, { timeout: 5000, polling: 50 })
            .then(() => true, () => false);
        const running = await page.evaluate(async () => ({ changes: globalThis.controller_changes, caches: await caches.keys() }));
        check(offered && /new version/i.test(await page.evaluate(() => document.getElementById('update')?.textContent ?? '')),
              'a new version is offered: "A new version is ready: reload"');
        check(running.changes === 0 && running.caches.includes(first[0]),
              `the running page keeps its version until it reloads (${running.changes} changes, caches ${running.caches.join(' ')})`);
        if (offered) {
            await Promise.all([page.waitForNavigation({ waitUntil: 'load', timeout: START_MS }), page.click('#reload')]);
            const after = await ready(page);
            check(after.length === 1 && after[0] === 'korvane-next-version', `after "reload" the new version runs the page (${after.join(' ')})`);
        }

        // Offline: a file the worker does not keep gets an answer that says so.
        await page.setOfflineMode(true);
        server.kill();
        stopped = true;
        const answer = await page.evaluate(() => fetch('not-kept.txt').then(async response => `${response.status} ${await response.text()}`,
                                                                            error => `failed: ${error.message}`));
        check(/^503 /.test(answer) && /offline/i.test(answer), `a file not kept gets a clear offline answer ("${answer}")`);
        await page.setOfflineMode(false);
        await page.close();
    } finally {
        if (!stopped)
            server.kill();
    }
}

export async function service_worker(browser, site_folder)
{
    const site = mkdtempSync(join(tmpdir(), 'korvane-site-'));
    cpSync(site_folder, site, { recursive: true });
    try {
        for (const group of [fresh_copies, offline_answer_and_next_version]) {
            try {
                await group(browser, site);
            } catch (error) {
                check(false, `${group.name} stopped: ${error.message}`);
            }
        }
    } finally {
        rmSync(site, { recursive: true, force: true });
    }
}

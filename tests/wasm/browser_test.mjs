// The page of Korvane, in headless Chromium as people use it:
//   node tests/wasm/browser_test.mjs SITE SCREENSHOTS NATIVE_EVAL [--only GROUP,...]
// SITE is the assembled page (build-wasm/site), served by web/serve.mjs; SCREENSHOTS the folder
// for the pictures; NATIVE_EVAL the native korvane-eval (build/korvane-eval), whose terms the
// page's must equal. Needs Debian's chromium and the page's packages (npm ci --prefix web), whose
// puppeteer-core drives the browser, whose chess.js checks every move independently of the page,
// and whose axe-core audits the page's accessibility.
//
// The checks, in groups (tests/wasm/page/), run in this order: play (a person plays, the game
// record, analysis and the graph, the evaluation's terms), faults (faults a player met, each as
// the player met it), access (typed moves, screen readers, axe-core), review (a game's review,
// its explanations, learning from the mistakes, the annotated PGN, against tools/annotate.mjs on
// the native engine beside NATIVE_EVAL), service_worker (fresh copies, the offline answer, a new
// version), devices (a phone, the bench page, and offline last, as it stops the server). No
// console error may appear anywhere.
import { mkdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';

import { open_browser, repo } from './chromium.mjs';
import { access } from './page/access.mjs';
import { analysis, terms } from './page/analysis.mjs';
import { bench_page, offline, phone } from './page/devices.mjs';
import { check, console_errors, failures, tally } from './page/driver.mjs';
import { faults } from './page/faults.mjs';
import { play_page, record } from './page/game_play.mjs';
import { review } from './page/review.mjs';
import { service_worker } from './page/service_worker.mjs';

const args = process.argv.slice(2);
const only_at = args.indexOf('--only');
const only = only_at < 0 ? null : args.splice(only_at, 2)[1].split(',');
const site = resolve(args[0] ?? join(repo, 'build-wasm', 'site'));
const screenshots = resolve(args[1] ?? join(repo, 'build-wasm', 'screenshots'));
const native_eval = resolve(args[2] ?? join(repo, 'build', 'korvane-eval'));

const { browser, url, close, stop_serving } = await open_browser(site, { defaultViewport: { width: 1200, height: 900 } },
                                                                  ['--window-size=1200,900']);
const native_engine = join(dirname(native_eval), 'korvane');
const context = { browser, url, site, screenshots, native_eval, native_engine, stop_serving };

const GROUPS = {
    async play()
    {
        const page = await play_page(context);
        await record(page);
        await analysis(page, context);
        await terms(page, context);
        await page.close();
    },
    faults: () => faults(browser, url),
    access: () => access(browser, url),
    review: () => review(context),
    service_worker: () => service_worker(browser, site),
    async devices()
    {
        await phone(context);
        await bench_page(context);
        await offline(context);
    },
};

mkdirSync(screenshots, { recursive: true });
const started = Date.now();
try {
    for (const [name, group] of Object.entries(GROUPS)) {
        if (only && !only.includes(name))
            continue;
        const at = Date.now();
        await group();
        console.log(`browser: ${name} done in ${Math.round((Date.now() - at) / 1000)} s`);
    }
} catch (error) {
    failures.push(`the test stopped: ${error.stack ?? error}`);
    console.log(failures.at(-1));
} finally {
    await close();
}

check(console_errors.length === 0, `no console errors, but: ${console_errors.join('; ')}`);
const { passed, failed } = tally();
console.log(`browser: ${passed} passed, ${failed} failed in ${Math.round((Date.now() - started) / 1000)} s`);
process.exit(failed === 0 ? 0 : 1);

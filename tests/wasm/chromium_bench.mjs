// Runs the bench page (bench.html) in headless Chromium and prints its last line:
//   node tests/wasm/chromium_bench.mjs SITE DEPTH
// prints "Bench: N nodes S nps", the same as korvane-bench DEPTH on the command line. SITE is the
// assembled page (build-wasm/site); needs Debian's chromium and the page's packages (npm ci).
import { join, resolve } from 'node:path';

import { open_browser, repo } from './chromium.mjs';

const site = resolve(process.argv[2] ?? join(repo, 'build-wasm', 'site'));
const depth = process.argv[3] ?? '7';
const { browser, url, close } = await open_browser(site);
let result = '';
try {
    const page = await browser.newPage();
    await page.goto(url + 'bench.html', { waitUntil: 'load' });
    await page.select('#depth', depth);
    await page.click('#run');
    await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 600000, polling: 100 });
    result = await page.evaluate(() => document.body.dataset.result ?? '');
} finally {
    await close();
}
console.log(result || 'no result');
process.exit(result ? 0 : 1);

// Runs the bench page (bench.html) in headless Chromium and prints its last line:
//   node tests/wasm/chromium_bench.mjs SITE DEPTH
// prints "Bench: N nodes S nps", the same as korvane-bench DEPTH on the command line. SITE is the
// assembled page (build-wasm/site); needs Debian's chromium and the page's packages (npm ci).
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const repo = fileURLToPath(new URL('../..', import.meta.url));
const site = resolve(process.argv[2] ?? join(repo, 'build-wasm', 'site'));
const depth = process.argv[3] ?? '7';
const web_require = createRequire(join(repo, 'web', 'package.json'));
const puppeteer = (await import(pathToFileURL(web_require.resolve('puppeteer-core')))).default;

const server = spawn(process.execPath, [join(repo, 'web', 'serve.mjs'), site, '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
const url = await new Promise((done, fail) => {
    let text = '';
    server.stdout.on('data', chunk => {
        text += chunk;
        const found = text.match(/http:\/\/localhost:\d+\//);
        if (found)
            done(found[0]);
    });
    server.on('exit', status => fail(new Error(`web/serve.mjs ended with status ${status}`)));
});
const profile = mkdtempSync(join(tmpdir(), 'korvane-chromium-'));
const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
});
let result = '';
try {
    const page = await browser.newPage();
    await page.goto(url + 'bench.html', { waitUntil: 'load' });
    await page.select('#depth', depth);
    await page.click('#run');
    await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 600000, polling: 100 });
    result = await page.evaluate(() => document.body.dataset.result ?? '');
} finally {
    await browser.close();
    server.kill();
    rmSync(profile, { recursive: true, force: true });
}
console.log(result || 'no result');
process.exit(result ? 0 : 1);

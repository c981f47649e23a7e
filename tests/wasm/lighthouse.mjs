// Lighthouse's audit of the assembled page, on its desktop preset, as the web audits pages:
//   node tests/wasm/lighthouse.mjs SITE [REPORT.json]
// prints the scores of performance, accessibility, best practices and SEO and the layout shift,
// and fails when accessibility or best practices score below 95 or the layout shifts by more than
// 0.1 while the page starts. Performance is printed, not judged: its timings follow the machine's
// load, and a loaded machine must not fail a test.
import { writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

import { open_browser, repo } from './chromium.mjs';

const web_require = createRequire(join(repo, 'web', 'package.json'));
const lighthouse = (await import(pathToFileURL(web_require.resolve('lighthouse')))).default;
const desktop = (await import(pathToFileURL(join(repo, 'web', 'node_modules', 'lighthouse', 'core', 'config', 'desktop-config.js')))).default;

const site = resolve(process.argv[2] ?? join(repo, 'build-wasm', 'site'));
const { browser, url, close } = await open_browser(site);
let result;
try {
    const page = await browser.newPage();
    result = await lighthouse(url, { output: 'json', logLevel: 'error' }, desktop, page);
} finally {
    await close();
}
if (process.argv[3])
    writeFileSync(process.argv[3], result.report);

const score = name => Math.round((result.lhr.categories[name]?.score ?? 0) * 100);
const shift = result.lhr.audits['cumulative-layout-shift'].numericValue;
console.log(`Lighthouse ${result.lhr.lighthouseVersion}, desktop: performance ${score('performance')}, ` +
            `accessibility ${score('accessibility')}, best practices ${score('best-practices')}, SEO ${score('seo')}; ` +
            `layout shift ${shift.toFixed(3)}`);
const failed = [];
for (const [name, least] of [['accessibility', 95], ['best-practices', 95]])
    if (score(name) < least)
        failed.push(`${name} ${score(name)} < ${least}`);
if (shift > 0.1)
    failed.push(`layout shift ${shift.toFixed(3)} > 0.1`);
for (const audit of Object.values(result.lhr.audits))
    if (failed.length && audit.score !== null && audit.score < 1 && audit.scoreDisplayMode === 'binary')
        console.log(`  ${audit.id}: ${audit.title}`);
console.log(failed.length ? `Lighthouse: FAILED, ${failed.join(', ')}` : 'Lighthouse: passed');
process.exit(failed.length ? 1 : 0);

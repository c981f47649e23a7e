// Renders icon.svg into the PNG icons the web app manifest names (192 and 512 pixels), with
// Debian's chromium through the page's puppeteer-core: node web/icons/render_icons.mjs
// The PNGs are committed; run this again only when icon.svg changes.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const web_require = createRequire(join(here, '..', 'package.json'));
const puppeteer = (await import(pathToFileURL(web_require.resolve('puppeteer-core')))).default;
const svg = readFileSync(join(here, 'icon.svg'), 'utf8');

const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
});
try {
    const page = await browser.newPage();
    for (const size of [192, 512]) {
        await page.setViewport({ width: size, height: size });
        await page.setContent(`<body style="margin:0;background:transparent">` +
                              `<img src="data:image/svg+xml;base64,${Buffer.from(svg).toString('base64')}" width="${size}" height="${size}">`);
        await page.screenshot({ path: join(here, `icon-${size}.png`), omitBackground: true, clip: { x: 0, y: 0, width: size, height: size } });
    }
} finally {
    await browser.close();
}

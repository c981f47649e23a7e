// What the tests that drive the page share: the assembled site served by web/serve.mjs, and
// Debian's chromium started headless through the page's puppeteer-core, each with a fresh
// profile; close() stops both and removes the profile, stop_serving() the server alone (the
// network gone, for the offline check).
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const repo = fileURLToPath(new URL('../..', import.meta.url));
const web_require = createRequire(join(repo, 'web', 'package.json'));
const puppeteer = (await import(pathToFileURL(web_require.resolve('puppeteer-core')))).default;

// Serves site with web/serve.mjs on a free port; server_args are its options (--max-age, --log),
// and on_line gets each line it writes after its address.
export function serve(site, server_args = [], on_line = () => {})
{
    const server = spawn(process.execPath, [join(repo, 'web', 'serve.mjs'), site, '0', ...server_args], { stdio: ['ignore', 'pipe', 'inherit'] });
    return new Promise((done, fail) => {
        let text = '';
        let url = null;
        server.stdout.on('data', chunk => {
            text += chunk;
            const lines = text.split('\n');
            text = lines.pop();
            for (const line of lines) {
                const found = line.match(/http:\/\/localhost:\d+\//);
                if (url)
                    on_line(line);
                else if (found)
                    done({ server, url: url = found[0] });
            }
        });
        server.on('exit', status => fail(new Error(`web/serve.mjs ended with status ${status}`)));
    });
}

// Serves site and starts the browser; extra_options are puppeteer's launch options beside the
// fixed ones (a window size, say).
export async function open_browser(site, extra_options = {}, extra_args = [])
{
    const { server, url } = await serve(site);
    const profile = mkdtempSync(join(tmpdir(), 'korvane-chromium-'));
    const stop_server = () => {
        server.kill();
        rmSync(profile, { recursive: true, force: true });
    };
    const browser = await puppeteer.launch({
        executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
        headless: true,
        userDataDir: profile,
        // Without the network switches Chromium reaches for services this machine cannot reach.
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
               '--disable-component-update', '--disable-sync', ...extra_args],
        ...extra_options,
    }).catch(error => {
        stop_server();  // no server left listening when the browser cannot start
        throw error;
    });
    const close = async () => {
        await browser.close();
        stop_server();
    };
    return { browser, url, close, stop_serving: () => server.kill() };
}

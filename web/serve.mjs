#!/usr/bin/env node
// Serves Korvane's page on this machine: node web/serve.mjs [FOLDER] [PORT] [--max-age SECONDS] [--log]
// FOLDER is the assembled site (default build-wasm/site, made by
// `cmake --build build-wasm --target site`), PORT the port (default 8080; 0 takes any free one).
// Only static files, but as a real host sends them: with the two headers that make the page
// cross-origin isolated (without which a browser gives it no SharedArrayBuffer and Korvane cannot
// read its input), and compressed (brotli or gzip, as the browser accepts). Every answer says
// "no-cache" (ask again each time) unless --max-age lets the browser keep files that long, as a
// CDN does; --log writes one line per request, with the request's own Cache-Control.
import { readFileSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';
import { brotliCompressSync, constants, gzipSync } from 'node:zlib';

const args = process.argv.slice(2);
const option = name => {
    const at = args.indexOf(name);
    return at < 0 ? null : args.splice(at, name === '--log' ? 1 : 2).at(1) ?? '';
};
const max_age = option('--max-age');
const log = option('--log') !== null;
const root = resolve(args[0] ?? join(fileURLToPath(new URL('..', import.meta.url)), 'build-wasm', 'site'));
const port = Number(args[1] ?? 8080);

const TYPES = {
    '.html': 'text/html; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.svg': 'image/svg+xml',
    '.png': 'image/png',
    '.json': 'application/json',
    '.webmanifest': 'application/manifest+json',
    '.wasm': 'application/wasm',
    '': 'text/plain; charset=utf-8',
};
const COMPRESSED = new Set(['.html', '.mjs', '.js', '.css', '.svg', '.json', '.webmanifest', '.wasm', '']);
const ISOLATION = { 'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp' };

function file_of(url)
{
    let path;
    try {
        path = decodeURIComponent(new URL(url, 'http://localhost').pathname);
    } catch {
        return null;
    }
    const file = resolve(root, '.' + path);
    if (file !== root && !file.startsWith(root + sep))
        return null; // outside the site
    try {
        const stat = statSync(file);
        if (stat.isDirectory())
            return statSync(join(file, 'index.html')).isFile() ? join(file, 'index.html') : null;
        return stat.isFile() ? file : null;
    } catch {
        return null;
    }
}

// Each file compressed once per version of it on disk.
const packed = new Map();
function body_of(file, encoding)
{
    const { mtimeMs, size } = statSync(file);
    const key = `${encoding} ${file}`;
    const known = packed.get(key);
    if (known && known.mtimeMs === mtimeMs && known.size === size)
        return known.body;
    const raw = readFileSync(file);
    const body = encoding === 'br' ? brotliCompressSync(raw, { params: { [constants.BROTLI_PARAM_QUALITY]: 6 } }) :
                 encoding === 'gzip' ? gzipSync(raw) : raw;
    packed.set(key, { mtimeMs, size, body });
    return body;
}

const server = createServer((request, response) => {
    const file = request.method === 'GET' || request.method === 'HEAD' ? file_of(request.url) : null;
    if (log)
        console.log(`${request.method} ${request.url} ${file ? 200 : 404} (${request.headers['cache-control'] ?? '-'})`);
    if (!file) {
        response.writeHead(404, { 'Content-Type': 'text/plain', ...ISOLATION });
        response.end('not found\n');
        return;
    }
    const accepted = String(request.headers['accept-encoding'] ?? '');
    const encoding = !COMPRESSED.has(extname(file)) ? null : /\bbr\b/.test(accepted) ? 'br' : /\bgzip\b/.test(accepted) ? 'gzip' : null;
    let body;
    try {
        body = body_of(file, encoding);
    } catch {
        response.writeHead(404, { 'Content-Type': 'text/plain', ...ISOLATION });
        response.end('not found\n');
        return;
    }
    response.writeHead(200, {
        'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream',
        'Cache-Control': max_age === null ? 'no-cache' : `max-age=${Number(max_age) || 0}`,
        'Content-Length': body.length,
        Vary: 'Accept-Encoding',
        ...(encoding ? { 'Content-Encoding': encoding } : {}),
        ...ISOLATION,
    });
    response.end(request.method === 'HEAD' ? undefined : body);
});

try {
    statSync(join(root, 'index.html'));
} catch {
    console.error(`${root} has no index.html: build the site with cmake --build build-wasm --target site`);
    process.exit(1);
}
server.listen(port, '127.0.0.1', () => {
    console.log(`Korvane's page: http://localhost:${server.address().port}/ (serving ${root}; Ctrl+C stops)`);
});

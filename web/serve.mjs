#!/usr/bin/env node
// Serves Korvane's page on this machine: node web/serve.mjs [FOLDER] [PORT]
// FOLDER is the assembled site (default build-wasm/site, made by
// `cmake --build build-wasm --target site`), PORT the port (default 8080; 0 takes any free one).
// Only static files, but with the two headers that make the page cross-origin isolated, without
// which a browser gives it no SharedArrayBuffer and Korvane cannot read its input.
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = resolve(process.argv[2] ?? join(fileURLToPath(new URL('..', import.meta.url)), 'build-wasm', 'site'));
const port = Number(process.argv[3] ?? 8080);

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
};
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

const server = createServer((request, response) => {
    const file = request.method === 'GET' || request.method === 'HEAD' ? file_of(request.url) : null;
    if (!file) {
        response.writeHead(404, { 'Content-Type': 'text/plain', ...ISOLATION });
        response.end('not found\n');
        return;
    }
    response.writeHead(200, {
        'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream',
        'Cache-Control': 'no-cache',
        ...ISOLATION,
    });
    if (request.method === 'HEAD')
        response.end();
    else
        createReadStream(file).pipe(response);
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

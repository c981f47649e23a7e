#!/usr/bin/env node
// Korvane under node, as a UCI engine on standard input and output: `node korvane.mjs` behaves
// as the native korvane does, for a tournament manager or a GUI. The engine runs in a worker
// thread (korvane-worker.mjs); this thread only carries bytes: standard input into the engine's
// queue as it arrives, each line the engine writes onto standard output, and its exit status.
import { Worker } from 'node:worker_threads';

import { create_input_queue, create_input_writer } from './korvane-input.mjs';

const queue = create_input_queue();
const input = create_input_writer(queue, held => (held ? process.stdin.pause() : process.stdin.resume()));
const worker = new Worker(new URL('./korvane-worker.mjs', import.meta.url));

// Writes to a pipe or a file are synchronous on Linux: what was printed has left when the
// process exits. A reader that went away is no reason to stop, as natively (the engine ignores
// SIGPIPE there).
process.stdout.on('error', () => {});

function finish(status)
{
    process.exit(status);
}

worker.on('message', message => {
    if (typeof message === 'string') {
        process.stdout.write(message + '\n');
        return;
    }
    if (message.error !== undefined)
        process.stderr.write(`korvane: ${message.error}\n`);
    if (message.exit !== undefined)
        finish(message.exit);
});
worker.on('error', error => {
    process.stderr.write(`korvane: ${error?.stack ?? error}\n`);
    finish(1);
});
worker.on('exit', () => finish(1)); // only reached when the engine ended without saying so

process.stdin.on('data', chunk => input.write(chunk));
process.stdin.on('end', () => input.end());
process.stdin.on('error', () => input.end());
worker.postMessage({ input: queue });

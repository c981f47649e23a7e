#!/usr/bin/env node
// Reviews the games of a PGN file as the page's "Review" does, and writes them annotated:
//   node tools/annotate.mjs [-d DEPTH] [-j ENGINES] [--node | --engine PATH] [-o OUT.pgn] GAMES.pgn
// Each game gets an evaluation on every move, and each inaccuracy, mistake and blunder its NAG,
// a comment "(0.23 → -1.50) Mistake. Nf3 was best." and Korvane's best line as a variation. It
// runs the page's own modules (web/review.mjs, web/review-run.mjs) on the native engine
// (build/korvane, the default), on the engine under node (--node: build-wasm/korvane.mjs) or on
// any UCI engine given, ENGINES of them at once, one game each at a time. Each game is reviewed
// from a cleared table at the same depth with the default Hash size, as the page does, so the
// page and this tool give the same judgements. Progress goes to standard error; the annotated
// PGN to OUT.pgn or standard output. Needs the page's packages: npm ci --prefix web.
import { readFileSync, writeFileSync } from 'node:fs';
import { availableParallelism } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

import { pgn_games, read_game } from '../web/pgn.mjs';
import { write_pgn } from '../web/pgn-out.mjs';
import { REVIEW_DEPTH, review_annotations, review_tags } from '../web/review.mjs';
import { run_review } from '../web/review-run.mjs';
import { start_process } from './uci_process.mjs';

const repo = join(dirname(fileURLToPath(import.meta.url)), '..');
const USAGE = 'usage: node tools/annotate.mjs [-d DEPTH] [-j ENGINES] [--node | --engine PATH] [-o OUT.pgn] GAMES.pgn';

function options_of(args)
{
    const options = { depth: REVIEW_DEPTH, engines: Math.max(1, Math.min(availableParallelism(), 8)),
                      command: [join(repo, 'build', 'korvane')], out: null, file: null };
    for (let i = 0; i < args.length; ++i) {
        const value = () => args[++i] ?? fail(`${args[i - 1]} needs a value`);
        if (args[i] === '-d')
            options.depth = Number(value());
        else if (args[i] === '-j')
            options.engines = Number(value());
        else if (args[i] === '--node')
            options.command = [process.execPath, join(repo, 'build-wasm', 'korvane.mjs')];
        else if (args[i] === '--engine')
            options.command = [value()];
        else if (args[i] === '-o')
            options.out = value();
        else if (!options.file && !args[i].startsWith('-'))
            options.file = args[i];
        else
            fail(`unknown argument ${args[i]}`);
    }
    if (!options.file || !(Number.isInteger(options.depth) && options.depth > 0) || !(Number.isInteger(options.engines) && options.engines > 0))
        fail(USAGE);
    return options;
}

function fail(text)
{
    console.error(text);
    process.exit(2);
}

const options = options_of(process.argv.slice(2));
const listed = pgn_games(readFileSync(options.file, 'utf8'));
if (listed.error)
    fail(`${options.file}: ${listed.error}`);
const games = listed.games;
const written = Array(games.length).fill(null);
const progress = Array(games.length).fill('waiting');
const show = () => process.stderr.write(`\r${progress.map((state, i) => `game ${i + 1}: ${state}`).join(', ')}  `);

async function review_games(engine)
{
    for (let i = next++; i < games.length; i = next++) {
        const read = await read_game(games[i]);
        if (read.error) {
            progress[i] = 'unreadable';
            written[i] = null;
            console.error(`\ngame ${i + 1} (line ${games[i].line}): ${read.error}`);
            continue;
        }
        const { game } = read;
        const run = run_review(engine, game, options.depth, ply => {
            progress[i] = `${ply + 1}/${game.moves.length + 1}`;
            show();
        });
        const positions = await Promise.race([run.done, engine.ended]);
        const review = { depth: options.depth, positions };
        written[i] = write_pgn({ ...game, tags: { ...game.tags, ...review_tags(review) } }, review_annotations(game, review));
        progress[i] = 'done';
        show();
    }
}

let next = 0;
const started = Date.now();
const engines = Array.from({ length: Math.min(options.engines, games.length) }, () => start_process(options.command));
try {
    await Promise.all(engines.map(review_games));
} catch (error) {
    console.error(`\n${error.message}`);
    process.exit(1);
} finally {
    for (const engine of engines)
        engine.quit();
}
const text = written.filter(Boolean).join('\n');
if (options.out)
    writeFileSync(options.out, text);
else
    process.stdout.write(text);
console.error(`\n${games.length} games reviewed at depth ${options.depth} in ${((Date.now() - started) / 1000).toFixed(1)} s`);

// Put before each of Korvane's command-line programs built as WebAssembly (korvane-bench.mjs,
// korvane-perft.mjs, korvane-eval.mjs). Emscripten writes a .mjs program as an ES module that
// exports a function starting the program, and its node code looks for require and __dirname,
// which node defines only in classic scripts. node-program-suffix.js calls the function.
import { createRequire } from 'node:module';
import { dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
const require = createRequire(import.meta.url);
const __dirname = dirname(fileURLToPath(import.meta.url));

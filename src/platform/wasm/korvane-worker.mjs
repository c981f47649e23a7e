// The engine's thread, in node (worker_threads) and in a browser (a module Web Worker) alike.
// The host posts it one message, { input }, the queue of korvane-input.mjs; the worker then runs
// the engine's command loop until "quit" or the end of input. It posts each output line as a
// string, and finally { exit: status } (with error: text when the engine failed).
import create_engine from './korvane-engine.mjs';
import { create_input_reader } from './korvane-input.mjs';

const in_node = typeof process === 'object' && typeof process.versions?.node === 'string';
const port = in_node ? (await import('node:worker_threads')).parentPort : self;

function start(input)
{
    let finished = false;
    create_engine({
        korvane_input: create_input_reader(input),
        print: line => port.postMessage(line),
        printErr: line => port.postMessage({ error: line }),
        // Every end comes here: exit(), the end of main, and a failure (status 1). The throw
        // unwinds the engine's stack, as exit() does natively.
        quit: (status, thrown) => {
            if (!finished) {
                finished = true;
                const failed = !(thrown && thrown.name === 'ExitStatus');
                port.postMessage(failed ? { exit: status || 1, error: String(thrown?.stack ?? thrown) } : { exit: status });
            }
            throw thrown;
        },
    }).catch(error => {
        if (!finished) {
            finished = true;
            port.postMessage({ exit: 1, error: String(error?.stack ?? error) });
        }
    });
}

if (in_node)
    port.once('message', message => start(message.input));
else
    self.addEventListener('message', event => start(event.data.input), { once: true });

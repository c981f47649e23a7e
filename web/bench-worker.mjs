// Runs Korvane's bench (engine/korvane-bench-web.mjs, the same program as korvane-bench) in a
// worker of bench.html. Gets { depth }, posts each line the bench prints, then { exit: status }.
import create_bench from './engine/korvane-bench-web.mjs';

self.addEventListener('message', event => {
    let finished = false;
    const finish = (status, error) => {
        if (!finished) {
            finished = true;
            self.postMessage({ exit: status, error });
        }
    };
    create_bench({
        arguments: [String(event.data.depth)],
        print: line => self.postMessage(line),
        printErr: line => self.postMessage(line),
        quit: (status, thrown) => {
            finish(status, thrown?.name === 'ExitStatus' ? undefined : String(thrown));
            throw thrown;
        },
    }).catch(error => finish(1, String(error)));
}, { once: true });

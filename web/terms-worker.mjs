// Explains Korvane's evaluation in a worker of the page: each message { id, fen } runs the
// evaluation tool (engine/korvane-eval-web.mjs, the program that natively is
// `korvane-eval --terms FEN`) on that position, and posts back { id, lines } with what it printed,
// or { id, dropped } when a later request for the board came first.
import create_eval from './engine/korvane-eval-web.mjs';

const waiting = [];
let busy = false;

function next()
{
    if (busy || waiting.length === 0)
        return;
    busy = true;
    const { id, fen } = waiting.shift();
    const lines = [];
    let answered = false;
    const answer = error => {
        if (!answered) {
            answered = true;
            self.postMessage(error ? { id, error } : { id, lines });
            busy = false;
            next();
        }
    };
    create_eval({
        arguments: ['--terms', ...String(fen).split(' ').filter(Boolean)],
        print: line => lines.push(line),
        printErr: line => lines.push(line),
        quit: (status, thrown) => {
            answer(status === 0 ? undefined : `the evaluation tool ended with status ${status}`);
            throw thrown;
        },
    }).catch(error => answer(error?.name === 'ExitStatus' ? undefined : String(error)));
}

// Of the board's positions only the latest waits: the page wants no other once the board has
// moved on. Positions asked for to be kept (the review's) all wait their turn.
self.addEventListener('message', event => {
    if (!event.data.kept) {
        for (const dropped of waiting.filter(request => !request.kept))
            self.postMessage({ id: dropped.id, dropped: true });
        waiting.splice(0, waiting.length, ...waiting.filter(request => request.kept));
    }
    waiting.push(event.data);
    next();
});

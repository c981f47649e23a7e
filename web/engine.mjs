// The page's side of Korvane: the engine runs in a Web Worker (engine/korvane-worker.mjs), so the
// page never waits for it. Lines go to it through the input queue in shared memory, which needs
// a cross-origin isolated page (see serve.mjs); its output comes back one line per message.
//
// While the engine searches it listens only for "stop" (and "quit") and drops anything else, so
// every other line sent after a "go" is held here until its "bestmove" has arrived.
import { create_input_queue, create_input_writer } from './engine/korvane-input.mjs';

// on_line(text) gets each line the engine prints; on_exit(status, error) its end, if it ends.
export function start_engine(on_line, on_exit = () => {})
{
    if (!globalThis.crossOriginIsolated)
        throw new Error('the page is not cross-origin isolated: it must be served with the ' +
                        'Cross-Origin-Opener-Policy and Cross-Origin-Embedder-Policy headers');
    const queue = create_input_queue();
    const input = create_input_writer(queue);
    const worker = new Worker(new URL('./engine/korvane-worker.mjs', import.meta.url), { type: 'module' });
    let searching = false;
    const held = [];

    function send_now(line)
    {
        input.write(line + '\n');
        if (line.startsWith('go'))
            searching = true;
    }

    worker.addEventListener('message', event => {
        const message = event.data;
        if (typeof message === 'string') {
            if (message.startsWith('bestmove')) {
                searching = false;
                while (held.length > 0 && !searching)
                    send_now(held.shift());
            }
            on_line(message);
        } else if (message.exit !== undefined) {
            on_exit(message.exit, message.error);
        }
    });
    worker.addEventListener('error', event => on_exit(1, event.message));
    worker.postMessage({ input: queue });

    return {
        send(line)
        {
            if (searching && !line.startsWith('stop') && !line.startsWith('quit'))
                held.push(line);
            else
                send_now(line);
        },
    };
}

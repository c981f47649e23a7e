// The page's side of Korvane: the engine runs in a Web Worker (engine/korvane-worker.mjs), so the
// page never waits for it. Lines go to it through the input queue in shared memory, which needs
// a cross-origin isolated page (see serve.mjs); its output comes back one line per message, to
// the UCI client (uci.mjs) that holds the page's searches.
import { create_input_queue, create_input_writer } from './engine/korvane-input.mjs';
import { uci_client } from './uci.mjs';

// on_exit(status, error) gets the engine's end, if it ends.
export function start_engine(on_exit = () => {})
{
    if (!globalThis.crossOriginIsolated)
        throw new Error('the page is not cross-origin isolated: it must be served with the ' +
                        'Cross-Origin-Opener-Policy and Cross-Origin-Embedder-Policy headers');
    const queue = create_input_queue();
    const input = create_input_writer(queue);
    const worker = new Worker(new URL('./engine/korvane-worker.mjs', import.meta.url), { type: 'module' });
    const client = uci_client(line => input.write(line + '\n'));
    worker.addEventListener('message', event => {
        if (typeof event.data === 'string')
            client.on_line(event.data);
        else if (event.data.exit !== undefined)
            on_exit(event.data.exit, event.data.error);
    });
    worker.addEventListener('error', event => on_exit(1, event.message));
    worker.postMessage({ input: queue });
    return { ...client, terminate: () => worker.terminate() };
}

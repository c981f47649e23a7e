// bench.html: runs the bench in a worker and shows its lines; the last one, "Bench: N nodes
// S nps", is also put in the body's data-result (data-state goes "running", then "done").
const output = document.getElementById('output');

document.getElementById('run').addEventListener('click', () => {
    const button = document.getElementById('run');
    button.disabled = true;
    output.textContent = '';
    document.body.dataset.state = 'running';
    const worker = new Worker(new URL('./bench-worker.mjs', import.meta.url), { type: 'module' });
    worker.addEventListener('message', event => {
        if (typeof event.data === 'string') {
            output.textContent += event.data + '\n';
            if (event.data.startsWith('Bench:'))
                document.body.dataset.result = event.data;
            return;
        }
        if (event.data.error)
            output.textContent += `failed: ${event.data.error}\n`;
        worker.terminate();
        button.disabled = false;
        document.body.dataset.state = 'done';
    });
    worker.postMessage({ depth: Number(document.getElementById('depth').value) });
});

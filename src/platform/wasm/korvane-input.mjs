// Korvane's standard input in the browser and under node: a queue of bytes in shared memory,
// written by the host (the node runner or a web page) and read by the engine in its worker. The
// engine's read sleeps on the queue while it is empty (a worker may wait; a page may not), and the
// search's poll only asks whether the queue holds anything. The host never waits: bytes that do
// not fit stay with it until the engine has read enough.
//
// Layout: four 32-bit counters, then QUEUE_BYTES bytes used as a ring. WRITTEN and READ count
// bytes since the start, wrapping at 2^32; the ring holds WRITTEN - READ of them. ENDED is set
// once the host's input has ended; EVENTS changes whenever WRITTEN or ENDED does, and is what
// the engine sleeps on.
const WRITTEN = 0;
const READ = 1;
const ENDED = 2;
const EVENTS = 3;
const HEADER_BYTES = 16;
export const QUEUE_BYTES = 1 << 16; // a power of two

export function create_input_queue()
{
    return new SharedArrayBuffer(HEADER_BYTES + QUEUE_BYTES);
}

function views_of(queue)
{
    return { header: new Int32Array(queue, 0, 4), ring: new Uint8Array(queue, HEADER_BYTES) };
}

// The host's side. pause(true) is called while input is held back for want of room, pause(false)
// once all of it is in the queue, so that a host reading a stream can stop and resume it.
export function create_input_writer(queue, pause = () => {})
{
    const { header, ring } = views_of(queue);
    const held = []; // chunks not yet in the queue, oldest first
    let ending = false;
    let waiting = false;

    function signal()
    {
        Atomics.add(header, EVENTS, 1);
        Atomics.notify(header, EVENTS);
    }

    // Puts as much of the chunk as fits; returns the count put and the READ it was measured by.
    function put(chunk)
    {
        const read = Atomics.load(header, READ);
        const written = Atomics.load(header, WRITTEN);
        const room = QUEUE_BYTES - ((written - read) >>> 0);
        const count = Math.min(room, chunk.length);
        for (let i = 0; i < count; i++)
            ring[(written + i) & (QUEUE_BYTES - 1)] = chunk[i];
        if (count > 0) {
            Atomics.store(header, WRITTEN, (written + count) | 0);
            signal();
        }
        return { count, read };
    }

    function pump()
    {
        while (held.length > 0) {
            const { count, read } = put(held[0]);
            if (count < held[0].length) {
                held[0] = held[0].subarray(count);
                // Full: wake up when the engine has read from it (at once if it already has).
                const wait = Atomics.waitAsync(header, READ, read);
                if (!wait.async)
                    continue;
                waiting = true;
                pause(true);
                wait.value.then(() => {
                    waiting = false;
                    pump();
                });
                return;
            }
            held.shift();
        }
        pause(false);
        if (ending) {
            Atomics.store(header, ENDED, 1);
            signal();
        }
    }

    return {
        // bytes: a Uint8Array (a node Buffer is one); a string is sent as UTF-8.
        write(bytes)
        {
            if (ending)
                return;
            held.push(typeof bytes === 'string' ? new TextEncoder().encode(bytes) : bytes);
            if (!waiting)
                pump();
        },
        // The end of input, after everything written before it.
        end()
        {
            ending = true;
            if (!waiting)
                pump();
        },
    };
}

// The engine's side, used only in its worker: read_byte() returns the next byte (0..255), or -1
// once the queue is empty and ended, and sleeps while it is empty and open; waiting() is non-zero
// when read_byte() would not sleep.
export function create_input_reader(queue)
{
    const { header, ring } = views_of(queue);
    return {
        read_byte()
        {
            for (;;) {
                const events = Atomics.load(header, EVENTS);
                const read = Atomics.load(header, READ);
                const written = Atomics.load(header, WRITTEN);
                if (written !== read) {
                    const byte = ring[read & (QUEUE_BYTES - 1)];
                    Atomics.store(header, READ, (read + 1) | 0);
                    // A host that found the queue full waits for READ to move. Looked at after the
                    // move: a host that filled it meanwhile is then seen, whichever came first.
                    if (((Atomics.load(header, WRITTEN) - read - 1) >>> 0) >= QUEUE_BYTES - 1)
                        Atomics.notify(header, READ);
                    return byte;
                }
                if (Atomics.load(header, ENDED) !== 0)
                    return -1;
                Atomics.wait(header, EVENTS, events);
            }
        },
        waiting()
        {
            return Atomics.load(header, WRITTEN) !== Atomics.load(header, READ) || Atomics.load(header, ENDED) !== 0 ? 1 : 0;
        },
    };
}

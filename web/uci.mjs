// The only code that speaks UCI to Korvane, for any transport: the page's worker (engine.mjs) or
// a process of the command-line tools. write(line) hands a line to the engine; the client's
// on_line(line) takes each line the engine writes.
//
// While the engine searches it listens only for "stop" (and "quit") and drops anything else, so
// every other line sent after a "go" is held here until its "bestmove" has arrived. A search is
// a "position" and a "go" sent together; its "info" lines and its "bestmove" go to the callbacks
// of that search alone, and never once it is cancelled: a search no longer wanted can never show
// its thinking or play its move for a position it was not started on.
export function uci_client(write)
{
    const log = [];      // every line sent, in order (the browser test reads it)
    const held = [];     // lines and searches waiting for the running search's "bestmove"
    let running = null;  // the search whose "go" the engine is working on
    let on_ready = null;
    const ready = new Promise(done => { on_ready = done; });

    function send_now(line)
    {
        log.push(line);
        write(line);
    }

    function flush()
    {
        while (held.length > 0 && running === null) {
            const item = held.shift();
            if (typeof item === 'string') {
                send_now(item);
            } else if (!item.cancelled) {
                running = item;
                send_now(item.position);
                send_now(item.go);
            }
        }
    }

    return {
        log,
        ready,  // resolves at the first "readyok"
        on_line(line)
        {
            const words = line.split(' ').filter(Boolean);
            if (words[0] === 'readyok') {
                on_ready();
            } else if (words[0] === 'info' && running && !running.cancelled) {
                running.on_info(words);
            } else if (words[0] === 'bestmove' && running) {
                const finished = running;
                running = null;
                finished.done = true;
                if (!finished.cancelled)
                    finished.on_done(words);
                flush();
            }
        },
        // A line outside any search ("uci", "isready", "ucinewgame"), in turn with the searches.
        send(line)
        {
            held.push(line);
            flush();
        },
        // Starts (or queues) a search: position and go are whole command lines. on_info(words)
        // gets each "info" line, on_done(words) the "bestmove" line. Returns the search, whose
        // cancel() stops it if it runs and drops it if it waits.
        search(position, go, { on_info = () => {}, on_done = () => {} } = {})
        {
            const item = {
                position, go, on_info, on_done, cancelled: false, done: false,
                cancel()
                {
                    if (item.cancelled || item.done)
                        return;
                    item.cancelled = true;
                    if (running === item)
                        send_now('stop');
                },
            };
            held.push(item);
            flush();
            return item;
        },
    };
}

// The score of an "info" line from White's view: { cp } or { mate } (mate > 0: White mates),
// or null when the line has none. turn is the side to move of the searched position.
export function white_score(words, turn)
{
    const at = words.indexOf('score');
    if (at < 0 || at + 2 >= words.length)
        return null;
    const value = Number(words[at + 2]);
    if (!Number.isFinite(value))
        return null;
    const sign = turn === 'w' ? 1 : -1;
    return words[at + 1] === 'mate' ? { mate: sign * value } : { cp: sign * value };
}

// The principal variation of an "info" line, in coordinate text.
export function line_of(words)
{
    const at = words.indexOf('pv');
    return at < 0 ? [] : words.slice(at + 1);
}

// A score as players read it: "+0.35", "-1.20", "M3" (White mates in 3), "-M3", "1-0" or "0-1"
// (a position where the game is over: { result }), or "–".
export function score_text(score)
{
    if (!score)
        return '–';
    if (score.result !== undefined)
        return score.result;
    if (score.mate !== undefined)
        return (score.mate < 0 ? '-M' : 'M') + Math.abs(score.mate);
    return (score.cp > 0 ? '+' : score.cp < 0 ? '-' : '') + (Math.abs(score.cp) / 100).toFixed(2);
}

// Where a score stands between Black winning (-1) and White winning (+1): a pawn is about a
// fifth of the way, so that small advantages show and large ones do not run off the scale.
export function score_fraction(score)
{
    if (!score)
        return 0;
    if (score.result !== undefined)
        return score.result === '1-0' ? 1 : score.result === '0-1' ? -1 : 0;
    if (score.mate !== undefined)
        return score.mate >= 0 ? 1 : -1;
    return 2 / (1 + Math.exp(-0.004 * score.cp)) - 1;
}

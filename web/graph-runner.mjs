// The evaluation graph's own Korvane: it searches every position of the game the graph is for,
// to a fixed depth, first to last, and reports each score. It starts when a graph is first wanted;
// if it stops, the graph says so, and wanting the graph again starts a new one.
import { graph_failed, graph_scored } from './graph-ctrl.mjs';
import { start_engine } from './engine.mjs';
import { game_end, position_command, side_to_move } from './game.mjs';
import { subscribe } from './store.mjs';
import { white_score } from './uci.mjs';

export const GRAPH_DEPTH = 7;  // quick, and the same every time

// A position where the game is over by the rules is scored without a search.
function end_score(game, ply)
{
    const end = game_end(game, ply);
    return !end ? null : end.result === '1/2-1/2' ? { cp: 0 } : { result: end.result };
}

export function start_graph_runner()
{
    let engine = null;
    let running = null;  // { key, search }

    subscribe(state => {
        const graph = state.graph;
        // A review of the game searches every position already: the graph waits.
        const reviewed = graph && state.review?.key === graph.key;
        if (running && (graph?.key !== running.key || graph.status !== 'running' || reviewed)) {
            running.search.cancel();
            running = null;
        }
        if (!graph || graph.status !== 'running' || running || reviewed)
            return;
        const { key } = graph;
        const ply = graph.scores.indexOf(null);
        const end = end_score(state.game, ply);
        if (end) {
            graph_scored(key, ply, end);
            return;
        }
        if (!engine) {
            try {
                engine = start_engine((status, error) => {
                    engine?.terminate();
                    engine = null;
                    const failed = running?.key ?? key;
                    running = null;
                    graph_failed(failed, error ?? `status ${status}`);
                });
            } catch (error) {
                graph_failed(key, error.message);
                return;
            }
        }
        const turn = side_to_move(state.game.fens[ply]);
        let last = null;
        const search = engine.search(position_command(state.game, ply), `go depth ${GRAPH_DEPTH}`, {
            on_info(words)
            {
                last = white_score(words, turn) ?? last;
            },
            on_done()
            {
                running = null;
                graph_scored(key, ply, last ?? { pending: true });
            },
        });
        running = { key, search };
    });
}

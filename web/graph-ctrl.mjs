// The actions of the evaluation graph: wanting it, a position's score from the graph's Korvane,
// its failure, and what a new version of the game keeps of the old one's scores.
import { game_key } from './game.mjs';
import { state, update } from './store.mjs';

// The graph of game, from the graph of an earlier game: the scores of the positions both share
// (all up to the first move that differs) are kept; a forced move's borrowed score is worked out
// again, as what follows it may have changed.
export function graph_for(game, graph)
{
    const key = game_key(game);
    if (graph.key === key)
        return graph;
    const scores = Array(game.moves.length + 1).fill(null);
    const [old_start, old_line = ''] = graph.key ? graph.key.split('|') : [];
    if (old_start === game.start_fen) {
        const old_moves = old_line.split(' ').filter(Boolean);
        let shared = 0;
        while (shared < old_moves.length && shared < game.moves.length && old_moves[shared] === game.moves[shared])
            ++shared;
        for (let ply = 0; ply <= shared && ply < graph.scores.length; ++ply)
            scores[ply] = graph.scores[ply] && !graph.scores[ply].filled ? graph.scores[ply] : null;
    }
    return with_scores({ key, error: null }, scores);
}

// The graph with its scores: done once every position has one, a forced move's then borrowed
// from the position after it.
function with_scores(graph, known)
{
    const scores = [...known];
    const done = !scores.includes(null);
    if (done)
        for (let at = scores.length - 1; at >= 0; --at)
            if (scores[at].pending && scores[at + 1] && !scores[at + 1].pending)
                scores[at] = { ...scores[at + 1], filled: true };
    return { ...graph, scores, status: done ? 'done' : 'running' };
}

export const NO_GRAPH = { key: null, scores: [] };

export function want_graph()
{
    const graph = graph_for(state.game, state.graph ?? NO_GRAPH);
    update({ graph: graph.status === 'failed' ? with_scores({ ...graph, error: null }, graph.scores) : graph });
}

// A position's score from the graph's Korvane; { pending } for a position with one legal move,
// whose search ends at once without a score: the position after the forced move stands in for it.
export function graph_scored(key, ply, score)
{
    if (state.graph?.key !== key)
        return;
    const scores = [...state.graph.scores];
    scores[ply] = score;
    update({ graph: with_scores(state.graph, scores) });
}

export function graph_failed(key, error)
{
    if (state.graph?.key === key)
        update({ graph: { ...state.graph, status: 'failed', error } });
}

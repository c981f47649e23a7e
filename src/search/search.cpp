// The quiescence and alpha-beta searches.
#include <cassert>

#include "eval/eval.h"
#include "search/internal.h"

namespace {

inline void push_killer(int ply, Move move)
{
    killer_moves[ply][2] = killer_moves[ply][1];
    killer_moves[ply][1] = killer_moves[ply][0];
    killer_moves[ply][0] = move;
}

constexpr int NULL_MOVE_MIN_DEPTH = 4;        // hand-tuned: shallower nodes gain nothing
constexpr int NULL_MOVE_DEEP_DEPTH = 7;       // from here the reduction is one ply more
constexpr int NULL_MOVE_MIN_PIECE_COUNT = 5;  // fewer pieces: zugzwang is too likely
constexpr int32_t FIFTY_MOVE_LIMIT = 100;

// ---- Captures before the quiet moves exist ----
// At a node whose children are all quiescence searches, off the variation and with no hash
// move, the full list's scores do not change while its moves are searched: below such a node
// nothing raises a history counter or sets a killer. A capture that scores above
// quiet_score_bound() is then picked before every quiet move. So while the best capture not yet
// searched scores above that bound, and is known to win any tie (see below), it is the move the
// full list's loop picks next, and it can be searched before the quiet moves are generated.
// Most such nodes end on one. The rest go on with the full list, scored as it would have been
// at the start (the counters that searched captures raised are set back for the scoring) and
// with the captures already searched picked again in their places.
constexpr int MOST_LEADING_CAPTURES = 16;  // searched before the full list at most

struct LeadingCaptures {
    Move moves[MOST_LEADING_CAPTURES];
    int32_t history_before[MOST_LEADING_CAPTURES];  // each one's history counter before its search
    int count = 0;
};

// Searches the leading captures with search_move until it ends the node (true) or the next
// capture cannot be known to lead. Its own frame: the capture list is live only at these nodes.
template <typename SearchMove>
KORVANE_NOINLINE bool search_leading_captures(LeadingCaptures& early, SearchMove& search_move)
{
    CaptureList captures;
    int32_t scores[MAX_CAPTURES];
    generate_captures(captures);
    if (captures.count == 0)
        return false;
    const int first = score_moves_off_variation(captures.moves, scores, captures.count);
    const int32_t quiet_bound = quiet_score_bound();
    for (int i = 0; i < captures.count && i < MOST_LEADING_CAPTURES; ++i) {
        // The highest score left, which must be above every quiet move's. The full list's first
        // pick is its first highest score, and the capture list keeps the full list's order, so
        // a tie is broken the same way there; after the first swap only a score alone is sure.
        int at = first;
        if (i > 0) {
            at = i;
            bool tied = false;
            for (int j = i + 1; j < captures.count; ++j) {
                if (scores[j] > scores[at]) {
                    at = j;
                    tied = false;
                } else if (scores[j] == scores[at]) {
                    tied = true;
                }
            }
            if (tied)
                return false;
        }
        if (scores[at] <= quiet_bound)
            return false;
        swap_moves(captures.moves, scores, i, at);
        const Move move = captures.moves[i];
        early.moves[i] = move;
        early.history_before[i] = history_table[from_of(move)][to_of(move)];
        early.count = i + 1;
        if (search_move(move))
            return true;
    }
    return false;
}

// The full list's scores as at the node's start, with the counters the leading captures raised
// set back while it is scored (latest first, so that a square pair raised twice gets its first
// value). Returns the place of the first highest score, as score_moves.
int score_after_leading_captures(const LeadingCaptures& early, const MoveList& list, int32_t* scores)
{
    int32_t raised[MOST_LEADING_CAPTURES];
    for (int j = 0; j < early.count; ++j)
        raised[j] = history_table[from_of(early.moves[j])][to_of(early.moves[j])];
    for (int j = early.count - 1; j >= 0; --j)
        history_table[from_of(early.moves[j])][to_of(early.moves[j])] = early.history_before[j];
    const int first = score_moves_off_variation(list.moves, scores, list.count);
    for (int j = 0; j < early.count; ++j)
        history_table[from_of(early.moves[j])][to_of(early.moves[j])] = raised[j];
    return first;
}

}  // namespace

int32_t quiescence(int32_t alpha, int32_t beta)
{
    const int ply = position.ply;
    // 1. The stacks end at ply 127: no move is made beyond it.
    if (ply >= MAX_PLY) {
        pv_length[ply] = ply;
        return evaluate();
    }
    // 2. The variation starts empty here.
    pv_length[ply] = ply;

    // 3. Standing pat: the side to move may keep the static score.
    const int32_t stand = stand_pat_score(beta);
    if (stand >= beta)
        return stand;
    if (stand > alpha)
        alpha = stand;

    // 4. The captures, best victim and least attacker first.
    CaptureList list;
    int32_t scores[MAX_CAPTURES];
    generate_captures(list);
    const int first = score_captures(list.moves, scores, list.count);

    bool searched = false;
    for (int i = 0; i < list.count; ++i) {
        if (i == 0)
            swap_moves(list.moves, scores, 0, first);  // the scoring found the best already
        else
            pick_move(list.moves, scores, i, list.count);
        const Move move = list.moves[i];
        make_capture(move);
        if (!move_was_legal()) {
            unmake_capture();
            continue;
        }
        limits.nodes += 1;
        searched = true;
        // The same check as at alpha-beta nodes, once every 65536 counted nodes: a capture
        // sequence can run for millions of nodes below one alpha-beta node, and the clock and
        // "stop" must be heard inside it too.
        if ((limits.nodes & 0xFFFF) == 0 && periodic_check()) {
            unmake_capture();
            return 0;
        }
        const int32_t value = -quiescence(-beta, -alpha);
        unmake_capture();
        if (limits.stop)
            return 0;
        if (value > alpha) {
            if (value >= beta)
                return beta;
            alpha = value;
            update_pv(ply, move);
        }
    }
    return searched ? alpha : stand;
}

int32_t alpha_beta(int32_t alpha, int32_t beta, int32_t depth, uint8_t null_allowed)
{
    // 1. Every 65536 nodes: the clock, and "stop" or "quit" on the input.
    if ((limits.nodes & 0xFFFF) == 0 && periodic_check())
        return 0;

    // 2. Leaves are resolved by the captures alone. A line of checks long enough to
    // reach the end of the stacks is cut there too.
    const int ply = position.ply;
    if (depth < 1 || ply >= MAX_PLY)
        return quiescence(alpha, beta);

    // 3. The variation starts empty here.
    pv_length[ply] = ply;

    // 4. Is the side to move in check? Asked before the probe, while the table's slot is still
    // on its way from memory (the test changes nothing, so its place does not matter otherwise).
    const bool checked = in_check();

    // 5. The table may end the node, and always offers its move to try first.
    uint8_t flag;
    Move hash_move;
    const int32_t stored = probe_table(depth, alpha, beta, flag, hash_move);
    if (flag >= PROBE_ENDS_NODE)
        return stored;

    // 6. A node in check searches one ply deeper.
    const int32_t entry_alpha = alpha;
    const int extension = checked ? 1 : 0;
    // The hash move is nearly always searched first: start loading its child's slot now, and it
    // arrives while the moves are generated and scored.
    const bool children_probe = depth + extension > 1;
    if (children_probe && hash_move != 0)
        prefetch_entry(key_after(hash_move));

    // 7. Null move: if passing still holds beta, a real move will too. The reduced search
    // runs at this node's own ply. position.piece_count is the count the latest evaluate left,
    // wherever in the tree that was; follow_pv is move ordering's (score_moves clears it once a
    // node leaves the previous iteration's variation).
    if (!checked && depth >= NULL_MOVE_MIN_DEPTH && !follow_pv && flag == PROBE_NOTHING && null_allowed &&
        position.piece_count >= NULL_MOVE_MIN_PIECE_COUNT) {
        const NullMoveUndo undo = make_null_move();
        prefetch_entry();
        const int reduction = depth < NULL_MOVE_DEEP_DEPTH ? 3 : 4;
        const int32_t value = -alpha_beta(-beta, -beta + 1, depth - reduction, 0);
        unmake_null_move(undo);
        if (limits.stop)
            return 0;
        if (value >= beta)
            return beta;
    }

    bool searched = false;
    int32_t result = 0;
    // One move searched: true when it ends the node (a cut-off, or the search stopping), with the
    // node's value in result.
    auto search_move = [&](Move move) -> bool {
        make_move(move);
        if (children_probe)
            prefetch_entry();  // the child will probe the table
        if (!move_was_legal()) {
            unmake_move();
            return false;
        }
        limits.nodes += 1;
        searched = true;
        const int32_t value = -alpha_beta(-beta, -alpha, depth - 1 + extension, 1);
        unmake_move();
        if (limits.stop) {
            result = 0;
            return true;
        }
        if (value > alpha) {
            add_history(move, depth);
            if (value >= beta) {
                if (position.board[to_of(move)] == EMPTY)
                    push_killer(ply, move);
                store_entry(depth, value, BOUND_LOWER, move);
                result = beta;
                return true;
            }
            alpha = value;
            update_pv(ply, move);
        }
        return false;
    };

    // 8. Captures that lead the list, searched before the quiet moves are generated (see
    // search_leading_captures); most such nodes end on one of them.
    LeadingCaptures early;
    if (!children_probe && hash_move == 0 && !follow_pv && lists_have_room() &&
        search_leading_captures(early, search_move))
        return result;

    // 9. Every pseudo-legal move, scored for ordering; those searched already are set in
    // their places again, exactly as the loop below had picked them.
    MoveList list;
    int32_t scores[MAX_MOVES];
    generate_moves(list);
    int first;
    int start = 0;
    if (early.count != 0) {
        first = score_after_leading_captures(early, list, scores);
        start = early.count;
    } else {
        first = score_moves(list.moves, scores, list.count, hash_move);
    }

    // 10. Best remaining move first; illegal moves are taken back unseen.
    if (children_probe && list.count > 0 && list.moves[first] != hash_move)
        prefetch_entry(key_after(list.moves[first]));
    bool picked_ahead = false;
    for (int i = 0; i < list.count; ++i) {
        if (i == 0)
            swap_moves(list.moves, scores, 0, first);  // the scoring found the best already
        else if (!picked_ahead)
            pick_move(list.moves, scores, i, list.count);
        picked_ahead = false;
        if (i < start) {
            assert(list.moves[i] == early.moves[i] && "the leading captures are not the list's first moves");
            continue;
        }
        const Move move = list.moves[i];
        // A node that did not cut off on its first move will likely try them all: pick the next
        // move now (the scores do not change, so the order is the same) and start loading its
        // child's slot, which then arrives while this move is searched.
        if (i > 0 && children_probe && i + 1 < list.count) {
            pick_move(list.moves, scores, i + 1, list.count);
            picked_ahead = true;
            prefetch_entry(key_after(list.moves[i + 1]));
        }
        if (search_move(move))
            return result;
    }

    // 11. Mate, stalemate, the fifty-move rule, then the store.
    if (!searched)
        return checked ? ply - MATE_SCORE : 0;
    if (position.fifty >= FIFTY_MOVE_LIMIT)
        return 0;
    if (alpha > entry_alpha) {
        store_entry(depth, alpha, BOUND_EXACT, pv_table[ply][ply]);
        return alpha;
    }
    store_entry(depth, alpha, BOUND_UPPER, 0);
    return alpha;
}

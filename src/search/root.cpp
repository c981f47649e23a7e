// One iteration over the legal root moves, and the repetition test against the game.
#include <cstdio>

#include "search/internal.h"

int32_t root_move_scores[MAX_MOVES];

namespace {

constexpr int CURRMOVE_MIN_DEPTH = 5;  // shallower iterations finish too fast to report
constexpr int32_t SCORE_DROP_MARGIN = 40;

}  // namespace

int32_t repetition_count()
{
    const int32_t n = position.root_ply;
    // Only positions since the last capture or pawn move can repeat.
    int32_t start = n - position.fifty;
    if (start < 0)
        start = 0;
    int32_t count = 0;
    for (int32_t j = start; j < n; ++j)
        if (position.key_history[j] == position.hash_key)
            ++count;
    return count;
}

int32_t root_search()
{
    SearchState& s = search_state;
    int32_t depth = s.iteration_depth;
    int32_t best = -INFINITE_SCORE;
    s.score_dropped = 0;
    follow_pv = 1;  // every iteration starts down the previous one's variation (internal.h)
    position.ply = 1;
    pv_length[1] = 1;

    if (in_check())
        depth += 1;

    uint8_t flag;
    Move hash_move;
    probe_table(depth, -INFINITE_SCORE, INFINITE_SCORE, flag, hash_move);

    Move moves[MAX_MOVES];
    int32_t count;
    generate_legal_moves(moves, count);
    score_moves(moves, root_move_scores, count, hash_move);

    for (int i = 0; i < count; ++i) {
        pick_move(moves, root_move_scores, i, count);
        const Move move = moves[i];
        // A search stopped before its first root move was searched still answers a legal move:
        // the one it was about to search.
        if (s.best_move == 0)
            s.best_move = move;
        make_move(move);
        limits.nodes += 1;
        // The root's key becomes this move's position, the one repetition_count looks for in the
        // game's history (position.hash_key; load_fen gave it the loaded position's).
        position.hash_key = compute_key();

        if (depth >= CURRMOVE_MIN_DEPTH && !quiet_search) {
            char text[6];
            move_to_text(move, text);
            std::printf("info depth %d currmove %s currmovenumber %d\n", depth, text, i + 1);
        }

        int32_t score;
        if (repetition_count() > 0) {
            score = 0;  // the first repetition of a game position counts as a draw
            pv_length[position.ply] = position.ply;
        } else {
            score = -alpha_beta(-INFINITE_SCORE, -best, depth - 1, 1);
        }
        unmake_move();
        if (limits.stop)
            return 0;
        if (count == 1)
            s.single_reply = 1;

        if (score > best) {
            add_history(move, 2 * depth);
            if (score + SCORE_DROP_MARGIN < s.previous_score)
                s.score_dropped = 1;
            s.best_move = move;
            best = score;
            s.root_score = score;
            update_pv(1, move);
            if (depth >= CURRMOVE_MIN_DEPTH)
                report_best_move(score, depth);
        }
    }

    store_entry(depth, best, BOUND_EXACT, pv_table[1][1]);
    return s.root_score;
}

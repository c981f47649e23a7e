// Move ordering: the hash move, the previous iteration's principal variation, victims before
// attackers, killer moves and the history of moves that raised alpha.
#include <climits>
#include <cstdint>

#include "search/internal.h"

int32_t history_table[64][64];
int32_t history_peak;
Move killer_moves[MAX_PLY][3];
Move pv_table[PLY_TABLE_SIZE][PLY_TABLE_SIZE];
int32_t pv_length[PLY_TABLE_SIZE];
uint8_t follow_pv;

namespace {

// Hand-tuned ordering bonuses. A quiet move starts far below every capture but a king's, so
// that killers (quiet by definition) sort between the two.
constexpr int32_t QUIET_BASE = -3072;
constexpr int32_t HASH_MOVE_BONUS = 1000000;
constexpr int32_t HASH_MOVE_BONUS_ON_PV = 987712;  // the variation's own move comes first
constexpr int32_t PV_MOVE_BONUS = 1000000;
constexpr int32_t KILLER_BONUS[3] = {1024, 384, 96};

// The counters grow for a whole search; reading them shifted by the iteration depth keeps
// early, shallow successes from outweighing the current iteration's, and from the 32nd iteration
// on they count for nothing. The shift stops at 31: the counters are never negative, so that
// leaves nothing of them either.
inline int history_shift()
{
    const int depth = search_state.iteration_depth;
    return depth < 31 ? depth : 31;
}

inline int32_t history_term(Move move, int shift) { return history_table[from_of(move)][to_of(move)] >> shift; }

// A list's scores, with the tables it reads held in locals for the whole loop (the stores to the
// scores could otherwise be taken for stores to the tables, and the tables read again for every
// move), and the variation's test only where the node follows the variation. Returns the place
// of the first highest score; sets follow_pv when on the variation and the list holds its move.
template <bool PV_MODE>
int score_list(const Move* moves, int32_t* scores, int count, Move hash_move, int ply)
{
    const Piece* board = position.board;
    const int shift = history_shift();
    const Move pv_move = pv_table[1][ply];
    const Move killer0 = killer_moves[ply][0], killer1 = killer_moves[ply][1], killer2 = killer_moves[ply][2];
    const int32_t hash_bonus = PV_MODE ? HASH_MOVE_BONUS_ON_PV : HASH_MOVE_BONUS;
    bool pv_found = false;
    int best = 0;
    int32_t best_score = INT32_MIN;
    for (int i = 0; i < count; ++i) {
        const Move move = moves[i];
        const Piece victim = board[to_of(move)];
        int32_t score = victim != EMPTY ? piece_value[victim] - piece_value[board[from_of(move)]] : QUIET_BASE;
        if (move == hash_move)
            score += hash_bonus;
        if (PV_MODE && move == pv_move) {
            score += PV_MOVE_BONUS;
            pv_found = true;
        } else {
            // The first killer slot that holds the move gives its bonus.
            const int32_t killer = move == killer0   ? KILLER_BONUS[0]
                                   : move == killer1 ? KILLER_BONUS[1]
                                   : move == killer2 ? KILLER_BONUS[2]
                                                     : 0;
            score += history_term(move, shift) + killer;
        }
        scores[i] = score;
        if (score > best_score) {
            best = i;
            best_score = score;
        }
    }
    if (pv_found)
        follow_pv = 1;
    return best;
}

}  // namespace

void add_history(Move move, int32_t amount)
{
    int32_t& counter = history_table[from_of(move)][to_of(move)];
    counter = counter > INT32_MAX - amount ? INT32_MAX : counter + amount;
    if (counter > history_peak)
        history_peak = counter;
}

int score_moves(const Move* moves, int32_t* scores, int count, Move hash_move)
{
    // follow_pv: on the variation until this list shows it has been left (see internal.h).
    const bool pv_mode = follow_pv != 0;
    follow_pv = 0;
    return pv_mode ? score_list<true>(moves, scores, count, hash_move, position.ply)
                   : score_list<false>(moves, scores, count, hash_move, position.ply);
}

int score_moves_off_variation(const Move* moves, int32_t* scores, int count)
{
    return score_list<false>(moves, scores, count, 0, position.ply);
}

int32_t quiet_score_bound() { return QUIET_BASE + KILLER_BONUS[0] + (history_peak >> history_shift()); }

int score_captures(const Move* moves, int32_t* scores, int count)
{
    const Move pv_move = pv_table[1][position.ply];
    const Piece* board = position.board;
    const int shift = history_shift();
    bool pv_found = false;
    int best = 0;
    int32_t best_score = INT32_MIN;
    for (int i = 0; i < count; ++i) {
        const Move move = moves[i];
        int32_t score;
        if (move == pv_move) {
            score = PV_MOVE_BONUS;
            pv_found = true;
        } else {
            score = piece_value[board[to_of(move)]] - piece_value[board[from_of(move)]] + history_term(move, shift);
        }
        scores[i] = score;
        if (score > best_score) {
            best = i;
            best_score = score;
        }
    }
    if (pv_found)
        follow_pv = 1;  // whether or not the search is still on the variation
    return best;
}

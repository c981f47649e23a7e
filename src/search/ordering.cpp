// Move ordering: the hash move, the previous iteration's principal variation, victims before
// attackers, killer moves and the history of moves that raised alpha.
#include <climits>

#include "search/internal.h"

int32_t history_table[64][64];
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
// early, shallow successes from outweighing the current iteration's.
inline int32_t history_term(Move move)
{
    const int shift = search_state.iteration_depth;
    if (shift >= 32)
        return 0;
    return history_table[from_of(move)][to_of(move)] >> shift;
}

inline int32_t killer_term(Move move, int ply)
{
    for (int slot = 0; slot < 3; ++slot)
        if (move == killer_moves[ply][slot])
            return KILLER_BONUS[slot];
    return 0;
}

}  // namespace

void add_history(Move move, int32_t amount)
{
    int32_t& counter = history_table[from_of(move)][to_of(move)];
    counter = counter > INT32_MAX - amount ? INT32_MAX : counter + amount;
}

int score_moves(const Move* moves, int32_t* scores, int count, Move hash_move)
{
    // follow_pv: on the variation until this list shows it has been left (see internal.h).
    const bool pv_mode = follow_pv != 0;
    follow_pv = 0;
    const int ply = position.ply;
    const Move pv_move = pv_table[1][ply];
    const Piece* board = position.board;
    int best = 0;
    for (int i = 0; i < count; ++i) {
        const Move move = moves[i];
        const Piece victim = board[to_of(move)];
        int32_t score = victim != EMPTY ? piece_value[victim] - piece_value[board[from_of(move)]] : QUIET_BASE;
        if (move == hash_move)
            score += pv_mode ? HASH_MOVE_BONUS_ON_PV : HASH_MOVE_BONUS;
        if (pv_mode && move == pv_move) {
            score += PV_MOVE_BONUS;
            follow_pv = 1;
        } else {
            score += history_term(move) + killer_term(move, ply);
        }
        scores[i] = score;
        if (score > scores[best])
            best = i;
    }
    return best;
}

int score_captures(const Move* moves, int32_t* scores, int count)
{
    const Move pv_move = pv_table[1][position.ply];
    const Piece* board = position.board;
    int best = 0;
    for (int i = 0; i < count; ++i) {
        const Move move = moves[i];
        if (move == pv_move) {
            scores[i] = PV_MOVE_BONUS;
            follow_pv = 1;  // whether or not the search is still on the variation
        } else {
            scores[i] = piece_value[board[to_of(move)]] - piece_value[board[from_of(move)]] + history_term(move);
        }
        if (scores[i] > scores[best])
            best = i;
    }
    return best;
}

// What the files of search/ share among themselves: the table's slots (search/table.h), the
// ordering and variation tables, the move picker, the searches below the driver and the
// driver's reset and reports. No other folder includes this header (the search's own tests do,
// to reach inside).
#pragma once
#include <cstdint>

#include "search/search.h"
#include "search/table.h"

// ---- Search tables (cleared at the start of every search) ----
constexpr int PLY_TABLE_SIZE = MAX_PLY + 1;  // plies 0..128: the quiescence ceiling is 128

extern int32_t history_table[64][64];                  // [from][to], only ever raised
extern int32_t history_peak;                           // at least every counter of history_table
extern Move killer_moves[MAX_PLY][3];                  // [ply][slot]
extern Move pv_table[PLY_TABLE_SIZE][PLY_TABLE_SIZE];  // [ply][column]
extern int32_t pv_length[PLY_TABLE_SIZE];              // [ply]: pv ends before this column
extern int32_t root_move_scores[MAX_MOVES];            // the root list's ordering scores
// Set while the search walks down the previous iteration's principal variation. Move
// ordering owns it: root_search sets it at the start of every iteration; score_moves reads it
// (on the variation, its move goes first), clears it, and sets it again only when the node's
// list holds the variation's move; score_captures sets it whenever a capture list holds that
// move and never clears it. alpha_beta reads it: no null move is tried while it is set.
extern uint8_t follow_pv;

// Ordering scores for a full move list (alpha-beta nodes and the root) and a capture list.
// Each returns the place of the first highest score (0 for an empty list): the move that
// pick_move would bring to the front, found without another pass. Both update follow_pv.
int score_moves(const Move* moves, int32_t* scores, int count, Move hash_move);
int score_captures(const Move* moves, int32_t* scores, int count);
// A full list's scores as score_moves gives them at a node off the variation with no hash move,
// for any list of that node's moves (a capture list too), leaving follow_pv as it is.
int score_moves_off_variation(const Move* moves, int32_t* scores, int count);
// No quiet move of a full list scored off the variation with no hash move scores above this.
int32_t quiet_score_bound();
// Raises a history counter, saturating so that no search, however long, overflows it.
void add_history(Move move, int32_t amount);

// Row ply of the principal variation becomes the move followed by row ply + 1.
inline void update_pv(int ply, Move move)
{
    pv_table[ply][ply] = move;
    const int length = pv_length[ply + 1];
    for (int column = ply + 1; column < length; ++column)
        pv_table[ply][column] = pv_table[ply + 1][column];
    pv_length[ply] = length;
}

// Swaps entries i and j of a move list and its scores.
inline void swap_moves(Move* moves, int32_t* scores, int i, int j)
{
    const Move m = moves[i];
    moves[i] = moves[j];
    moves[j] = m;
    const int32_t s = scores[i];
    scores[i] = scores[j];
    scores[j] = s;
}

// Swaps the first highest-scoring entry of i..count-1 into place i: ties keep list order.
inline void pick_move(Move* moves, int32_t* scores, int i, int count)
{
    // Two passes: the highest score first (a reduction the compiler does several lanes at a
    // time), then its first place, which the one-pass scan's running comparison would find.
    int32_t top = scores[i];
    for (int j = i + 1; j < count; ++j)
        top = scores[j] > top ? scores[j] : top;
    int best = i;
    while (scores[best] != top)
        ++best;
    if (best != i)
        swap_moves(moves, scores, i, best);
}

// ---- Searches ----
int32_t quiescence(int32_t alpha, int32_t beta);
int32_t alpha_beta(int32_t alpha, int32_t beta, int32_t depth, uint8_t null_allowed);
int32_t root_search();
int32_t repetition_count();

// ---- Iterative deepening ----
// Everything the driver clears when a search starts: the tables above, the driver's counters
// and flags, the node count and the stop flag.
void reset_search();
// A new best root move of an iteration deep enough to report: counts a mate score towards the
// driver's limit and prints its info line.
void report_best_move(int32_t score, int32_t depth);

// The search: transposition table, move ordering, quiescence and alpha-beta search, the root
// search with its repetition test, and the iterative-deepening driver with its reports.
#pragma once
#include <cstdint>

#include "frontend/uci.h"
#include "movegen/movegen.h"
#include "position/position.h"

// Scores are centipawns from the side to move's view. A side mated at ply p scores
// p - MATE_SCORE; beyond +-MATE_BOUND a score is a mate score.
constexpr int32_t MATE_SCORE = 1000000;
constexpr int32_t MATE_BOUND = MATE_SCORE - 256;
constexpr int32_t INFINITE_SCORE = 1000000;
constexpr int MAX_ITERATION_DEPTH = 64;

// ---- Transposition table ----
// One slot per index, no buckets: the slot of a position is its key modulo the slot count.
// A store replaces a slot whenever its depth is at least the slot's, for any position, and
// nothing is aged, so deep results of earlier searches stay until "ucinewgame" or a new size.
// Mate scores are kept relative to the node (see store_entry and probe_table).
enum : uint8_t { BOUND_NONE = 0, BOUND_EXACT = 2, BOUND_UPPER = 3, BOUND_LOWER = 4 };

struct HashEntry {
    int8_t depth;   // remaining depth of the search that stored it; 0 in an empty slot
    uint8_t bound;  // BOUND_*
    int32_t score;
    Move move;     // best move; 0 after a fail-low
    uint64_t key;  // the whole key, compared on probe
};
static_assert(sizeof(HashEntry) == 24, "the slot count is megabytes * 1048576 / 24");

struct TranspositionTable {
    HashEntry* slots;
    uint64_t entry_count;
    // 2^128 / entry_count rounded up (0 for one slot): turns key % entry_count into multiplications.
    unsigned __int128 slot_multiplier;
    // Nothing was stored since the slots were last zero: clearing them again can be skipped.
    bool clean;
};
extern TranspositionTable table;

constexpr uint64_t DEFAULT_TABLE_ENTRIES = 1398101;  // 32 megabytes
constexpr int32_t MIN_HASH_MEGABYTES = 32;
constexpr int32_t MAX_HASH_MEGABYTES = 2048;

// Regenerates the keys (same seed, same keys), then replaces the table by entry_count zero
// slots. When the memory cannot be had the old table stays in use; returns false then.
bool allocate_table(uint64_t entry_count);
void clear_table();
void release_table();
// flag: 0 nothing usable, 1 a null move here would very likely fail low, 2/3/4 the result
// (exact score, alpha, beta) ends the node. move: the slot's move whenever the key matches.
int32_t probe_table(int32_t depth, int32_t alpha, int32_t beta, uint8_t& flag, Move& move);
void store_entry(int32_t depth, int32_t score, uint8_t bound, Move move);
// key % divisor exactly, without a 64-bit division (which costs as much as a cache miss): the
// high part of the fraction key / divisor, kept to 128 bits, times the divisor (Lemire's direct
// remainder). multiplier is remainder_multiplier(divisor).
inline unsigned __int128 remainder_multiplier(uint64_t divisor) { return ~(unsigned __int128)0 / divisor + 1; }
inline uint64_t fast_remainder(uint64_t key, uint64_t divisor, unsigned __int128 multiplier)
{
    const unsigned __int128 fraction = multiplier * key;
    const unsigned __int128 low = (unsigned __int128)(uint64_t)fraction * divisor;
    const unsigned __int128 high = (unsigned __int128)(uint64_t)(fraction >> 64) * divisor;
    return uint64_t((high + (low >> 64)) >> 64);
}

// The slot of a key: key % entry_count. The table must have slots.
inline HashEntry* slot_of(uint64_t key)
{
    return &table.slots[fast_remainder(key, table.entry_count, table.slot_multiplier)];
}

// Starts loading the slot of a key (by default the current position's), so that a probe soon
// after finds it in the cache.
inline void prefetch_entry(uint64_t key = position.key)
{
    if (table.entry_count != 0)
        __builtin_prefetch(slot_of(key));
}

// ---- Search tables (cleared at the start of every search) ----
constexpr int PLY_TABLE_SIZE = MAX_PLY + 1;  // plies 0..128: the quiescence ceiling is 128

extern int32_t history_table[64][64];                  // [from][to], only ever raised
extern Move killer_moves[MAX_PLY][3];                  // [ply][slot]
extern Move pv_table[PLY_TABLE_SIZE][PLY_TABLE_SIZE];  // [ply][column]
extern int32_t pv_length[PLY_TABLE_SIZE];              // [ply]: pv ends before this column
extern int32_t root_move_scores[MAX_MOVES];
extern uint8_t follow_pv;

// Ordering scores for a full move list (alpha-beta nodes and the root) and a capture list.
void score_moves(const Move* moves, int32_t* scores, int count, Move hash_move);
void score_captures(const Move* moves, int32_t* scores, int count);
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

// Swaps the first highest-scoring entry of i..count-1 into place i: ties keep list order.
inline void pick_move(Move* moves, int32_t* scores, int i, int count)
{
    int best = i;
    for (int j = i + 1; j < count; ++j)
        if (scores[j] > scores[best])
            best = j;
    if (best != i) {
        Move m = moves[i];
        moves[i] = moves[best];
        moves[best] = m;
        int32_t s = scores[i];
        scores[i] = scores[best];
        scores[best] = s;
    }
}

// ---- Searches ----
int32_t quiescence(int32_t alpha, int32_t beta);
int32_t alpha_beta(int32_t alpha, int32_t beta, int32_t depth, uint8_t null_allowed);
int32_t root_search();
int32_t repetition_count();

// ---- Iterative deepening ----
struct SearchState {
    int32_t iteration_depth;
    Move best_move;
    int32_t root_score;
    int32_t previous_score;  // not reset between searches
    int32_t mate_reports;
    uint8_t single_reply;
    uint8_t score_dropped;
};
extern SearchState search_state;

// When true, the search prints nothing (no info lines, no "bestmove"): the bench's setting.
extern bool quiet_search;

// Runs one search from "go": deepens until a limit ends it, reports, prints "bestmove" and
// plays the move on the position.
void run_search();
// "info depth ... score ... pv ..." for a new best root move.
void print_info(int32_t score, int32_t depth);

// The search: its limits and the periodic check that listens for "stop" and "quit" while it
// runs, the transposition table, and the iterative-deepening driver with its reports. Move
// ordering, the alpha-beta, quiescence and root searches are inside (search/internal.h).
#pragma once
#include <cstddef>
#include <cstdint>

#include "movegen/movegen.h"
#include "position/position.h"

// Scores are centipawns from the side to move's view. A side mated at ply p scores
// p - MATE_SCORE; beyond +-MATE_BOUND a score is a mate score.
constexpr int32_t MATE_SCORE = 1000000;
constexpr int32_t MATE_BOUND = MATE_SCORE - 256;
constexpr int32_t INFINITE_SCORE = 1000000;
constexpr int MAX_ITERATION_DEPTH = 64;

// ---- Limits, and listening while the engine thinks ----
// How a search is limited and stopped, and what it has counted. The "go" command fills the
// limits; the search clears stop and nodes when it starts.
struct SearchLimits {
    uint8_t stop;           // the running search must unwind at once
    uint8_t depth_limited;  // "go" gave a depth above 0
    uint8_t no_time_limit;  // the clock is not consulted ("infinite", "ponder" or a depth)
    int32_t max_depth;      // deepest iteration; 0 means none given
    double time_budget;     // milliseconds the search may use; may be fractional or negative
    uint32_t start_time;    // tick count when the search started
    uint32_t deadline;      // tick count after which the periodic check stops the search
    uint64_t nodes;         // legal moves made by the search
};
extern SearchLimits limits;

// When false the periodic check tests only the clock and never reads standard input: the
// bench and other tools search with no interface listening.
extern bool listen_during_search;

// Called by the search when the low 16 bits of limits.nodes are zero. Returns true when the
// search must stop now (deadline passed, "stop" or "quit" read, or the input ended).
bool periodic_check();
// Forgets any unfinished piece of a line left over from the last search.
void start_listening();

// ---- Transposition table ----
// One slot per index, no buckets: the slot of a position is its key modulo the slot count.
// A store replaces a slot whenever its depth is at least the slot's, for any position, and
// nothing is aged, so deep results of earlier searches stay until "ucinewgame" or a new size.
// Mate scores are kept relative to the node (see store_entry and probe_table).
enum : uint8_t { BOUND_NONE = 0, BOUND_EXACT = 2, BOUND_UPPER = 3, BOUND_LOWER = 4 };
// probe_table's verdict: PROBE_NOTHING, PROBE_NULL_FAILS_LOW (a fail-low stored at nearly this
// depth: a null move here would very likely fail low too, so it is not tried), or one of the
// bounds above, whose score ends the node.
enum : uint8_t { PROBE_NOTHING = 0, PROBE_NULL_FAILS_LOW = 1 };
static_assert(int(PROBE_NULL_FAILS_LOW) < int(BOUND_EXACT), "a verdict at or above BOUND_EXACT ends the node");

// The key comes first: a 24-byte slot crosses a cache-line boundary in two places out of eight,
// and the probe's first question, the key compare, then still needs only the slot's first line.
struct HashEntry {
    uint64_t key;  // the whole key, compared on probe
    int32_t score;
    Move move;      // best move; 0 after a fail-low
    int8_t depth;   // remaining depth of the search that stored it; 0 in an empty slot
    uint8_t bound;  // BOUND_*
};
static_assert(sizeof(HashEntry) == 24, "the slot count is megabytes * 1048576 / 24");
static_assert(offsetof(HashEntry, key) == 0, "the key leads the slot");

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
// flag: PROBE_* or BOUND_* (see above); with a bound the returned exact score, alpha or beta
// ends the node. move: the slot's move whenever the key matches.
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
#if defined(__wasm__)
    // WebAssembly has a 64-bit remainder instruction but no 128-bit product: each of the three
    // products above is a call there. The plain remainder is the faster (measured side by side
    // under node, bench depth 7: 1.5% more nodes per CPU second, 1.05 in the runs' own ratios).
    return &table.slots[key % table.entry_count];
#else
    return &table.slots[fast_remainder(key, table.entry_count, table.slot_multiplier)];
#endif
}

// Starts loading the slot of a key (by default the current position's), so that a probe soon
// after finds it in the cache.
inline void prefetch_entry(uint64_t key = position.key)
{
    if (table.entry_count != 0)
        __builtin_prefetch(slot_of(key));
}

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

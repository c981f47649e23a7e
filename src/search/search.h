// The search: its limits and the periodic check that listens for "stop" and "quit" while it
// runs, the size of the transposition table, and the iterative-deepening driver with its
// reports. The table's slots (search/table.h), move ordering, the alpha-beta, quiescence and
// root searches (search/internal.h) are inside.
#pragma once
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
// limits; stop and nodes are not limits but the running search's flag and count, kept in the
// same record because the periodic check reads them with the clock. The search clears both
// when it starts.
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
// The table's size is set by the "Hash" option, in megabytes; its slots and how they are
// probed and stored are the search's own (search/table.h).
constexpr int32_t DEFAULT_HASH_MEGABYTES = 32;
constexpr int32_t MIN_HASH_MEGABYTES = 32;
constexpr int32_t MAX_HASH_MEGABYTES = 2048;
// The bytes by which the option counts slots: a table of M megabytes has M * 1048576 / 24 slots,
// whatever a slot takes in memory (search/table.h keeps a slot in 16, so that the table needs two
// thirds of the megabytes asked and no slot crosses a cache line; the slot count, and with it
// every search, stay as they were with 24-byte slots).
constexpr uint32_t TABLE_SLOT_BYTES = 24;

// The slot count of a table of that many megabytes, rounded down. The option's range keeps the
// byte count within 32 bits.
constexpr uint64_t table_entries_for(int32_t megabytes) { return uint32_t(megabytes) * 1048576u / TABLE_SLOT_BYTES; }
constexpr uint64_t DEFAULT_TABLE_ENTRIES = table_entries_for(DEFAULT_HASH_MEGABYTES);

// Replaces the table by entry_count zero slots. When the memory cannot be had the old table
// stays in use; returns false then.
bool allocate_table(uint64_t entry_count);
void clear_table();
void release_table();

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
// "ucinewgame": the node count and the best move of the last search are forgotten.
void forget_last_search();

// The transposition table's slots, and how the search probes and stores them. Only search/
// includes this header (and the tests that reach inside); other folders size, clear and
// release the table through search.h.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/compiler.h"
#include "search/search.h"

// One slot per index, no buckets: the slot of a position is its key modulo the slot count.
// A store replaces a slot whenever its depth is at least the slot's, for any position, and
// nothing is aged, so deep results of earlier searches stay until "ucinewgame" or a new size.
// Mate scores are kept relative to the node (see store_entry and probe_table).
// What a slot's score is: exact, or a bound on the true score.
enum : uint8_t { BOUND_EXACT = 2, BOUND_UPPER = 3, BOUND_LOWER = 4 };
// probe_table's flag, its own enumeration: PROBE_NOTHING; PROBE_NULL_FAILS_LOW (a fail-low
// stored at nearly this depth: a null move here would very likely fail low too, so it is not
// tried); or, at PROBE_ENDS_NODE and above, the slot's bound that ends the node with the
// returned score (the same numbers as the bounds).
enum : uint8_t {
    PROBE_NOTHING = 0,
    PROBE_NULL_FAILS_LOW = 1,
    PROBE_EXACT = BOUND_EXACT,
    PROBE_UPPER = BOUND_UPPER,
    PROBE_LOWER = BOUND_LOWER,
    PROBE_ENDS_NODE = PROBE_EXACT
};

// Four slots to a cache line, none across two: the probe's key compare and the rest of the slot
// come in one load. A move word has 15 bits (encoding.h), so its 16-bit copy is exact.
struct HashEntry {
    uint64_t key;  // the whole key, compared on probe
    int32_t score;
    uint16_t move;  // best move; 0 after a fail-low
    int8_t depth;   // remaining depth of the search that stored it; 0 in an empty slot
    uint8_t bound;  // BOUND_*
};
static_assert(sizeof(HashEntry) == 16 && sizeof(HashEntry) <= TABLE_SLOT_BYTES, "four slots to a cache line");
static_assert(make_move_word(63, 63, 7) <= 0xFFFF, "a move word fits the slot's 16 bits");
static_assert(offsetof(HashEntry, key) == 0, "the key leads the slot");

// flag: PROBE_* (see above); from PROBE_ENDS_NODE on the returned exact score, alpha or beta
// ends the node. move: the slot's move whenever the key matches.
int32_t probe_table(int32_t depth, int32_t alpha, int32_t beta, uint8_t& flag, Move& move);
void store_entry(int32_t depth, int32_t score, uint8_t bound, Move move);
// The slot of a key is key % entry_count, taken by fast_remainder (platform/compiler.h).

struct TranspositionTable {
    HashEntry* slots;
    uint64_t entry_count;
    // 2^128 / entry_count rounded up (0 for one slot): turns key % entry_count into multiplications.
    RemainderMultiplier slot_multiplier;
    // Nothing was stored since the slots were last zero: clearing them again can be skipped.
    bool clean;
};
extern TranspositionTable table;

// The slot of a key: key % entry_count. The table must have slots.
inline HashEntry* slot_of(uint64_t key)
{
    return &table.slots[fast_remainder(key, table.entry_count, table.slot_multiplier)];
}

// Starts loading the slot of a key (by default the current position's), so that a probe soon
// after finds it in the cache.
inline void prefetch_entry(uint64_t key = position.current_key)
{
    if (table.entry_count != 0)
        prefetch(slot_of(key));
}

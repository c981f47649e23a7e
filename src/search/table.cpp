// The transposition table.
#include <cstring>

#include "platform/platform.h"
#include "search/table.h"

TranspositionTable table;

namespace {

// Mate scores are stored as distance from the node and handed out as distance from the root.
int32_t score_to_table(int32_t score, int32_t ply)
{
    if (score > MATE_BOUND)
        return score + ply;
    if (score < -MATE_BOUND)
        return score - ply;
    return score;
}

int32_t score_from_table(int32_t score, int32_t ply)
{
    if (score > MATE_BOUND)
        return score - ply;
    if (score < -MATE_BOUND)
        return score + ply;
    return score;
}

}  // namespace

bool allocate_table(uint64_t entry_count)
{
    if (entry_count > SIZE_MAX / sizeof(HashEntry))
        return false;  // more bytes than this system's sizes can count
    auto* slots = static_cast<HashEntry*>(allocate_zeroed_huge(entry_count * sizeof(HashEntry)));
    if (slots == nullptr)
        return false;
    release_table();
    table.slots = slots;
    table.entry_count = entry_count;
    table.slot_multiplier = remainder_multiplier(entry_count);
    table.clean = true;
    return true;
}

void clear_table()
{
    if (table.entry_count == 0 || table.clean)
        return;
    // Where fresh pages are zero already and cost nothing until used, taking them is far quicker
    // than writing zeros over a large table. Elsewhere, or without fresh memory, write the zeros.
    const size_t bytes = table.entry_count * sizeof(HashEntry);
    auto* fresh = FRESH_MEMORY_IS_FREE ? static_cast<HashEntry*>(allocate_zeroed_huge(bytes)) : nullptr;
    if (fresh != nullptr) {
        release_memory(table.slots, bytes);
        table.slots = fresh;
    } else {
        std::memset(static_cast<void*>(table.slots), 0, bytes);
    }
    table.clean = true;
}

void release_table()
{
    if (table.slots != nullptr)
        release_memory(table.slots, table.entry_count * sizeof(HashEntry));
    table.slots = nullptr;
    table.entry_count = 0;
    table.slot_multiplier = 0;
    table.clean = true;
}

int32_t probe_table(int32_t depth, int32_t alpha, int32_t beta, uint8_t& flag, Move& move)
{
    flag = PROBE_NOTHING;
    move = 0;
    if (table.entry_count == 0)
        return 0;
    const uint64_t key = position.current_key;
    const HashEntry& entry = *slot_of(key);
    if (entry.key != key)
        return 0;

    move = entry.move;
    const int32_t score = score_from_table(entry.score, position.ply);
    // A fail-low here at nearly this depth says a null move would fail low too.
    if (entry.depth >= depth - 3 && entry.bound == BOUND_UPPER && score < beta)
        flag = PROBE_NULL_FAILS_LOW;
    if (entry.depth < depth)
        return 0;

    switch (entry.bound) {
    case BOUND_EXACT: flag = PROBE_EXACT; return score;
    case BOUND_UPPER:
        if (score <= alpha) {
            flag = PROBE_UPPER;
            return alpha;
        }
        return 0;
    case BOUND_LOWER:
        if (score >= beta) {
            flag = PROBE_LOWER;
            return beta;
        }
        return 0;
    default: return 0;
    }
}

void store_entry(int32_t depth, int32_t score, uint8_t bound, Move move)
{
    if (table.entry_count == 0)
        return;
    const uint64_t key = position.current_key;
    HashEntry& entry = *slot_of(key);
    if (depth < entry.depth)
        return;
    entry.depth = int8_t(depth);
    entry.bound = bound;
    entry.score = score_to_table(score, position.ply);
    entry.move = uint16_t(move);
    entry.key = key;
    table.clean = false;
}

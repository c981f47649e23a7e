// The legal move list and perft.
#include "movegen/movegen.h"

#include <cinttypes>
#include <cstdio>

const uint64_t PERFT_EXPECTED[10] = {
    0, 20, 400, 8902, 197281, 4865609, 119060324, 3195901860ULL, 84998978956ULL, 2439530234167ULL,
};

void generate_legal_moves(Move* moves, int32_t& count)
{
    MoveList list;
    generate_moves(list);
    count = 0;
    for (int i = 0; i < list.count; ++i) {
        make_move(list.moves[i]);
        if (move_was_legal())
            moves[count++] = list.moves[i];
        unmake_move();
    }
}

uint64_t perft(int depth)
{
    if (depth == 0)
        return 1;
    MoveList list;
    generate_moves(list);
    uint64_t sum = 0;
    for (int i = 0; i < list.count; ++i) {
        make_move(list.moves[i]);
        if (move_was_legal())
            sum += perft(depth - 1);
        unmake_move();
    }
    return sum;
}

uint64_t perft_divide(int depth, const char* line_format)
{
    MoveList list;
    generate_moves(list);
    uint64_t total = 0;
    for (int i = 0; i < list.count; ++i) {
        make_move(list.moves[i]);
        if (!move_was_legal()) {
            unmake_move();
            continue;
        }
        const uint64_t count = perft(depth - 1);
        unmake_move();
        total += count;
        char text[6];
        move_to_text(list.moves[i], text);
        std::printf(line_format, text, count);
    }
    return total;
}

// The legal move list, perft, and the "perft" command.
#include "movegen/movegen.h"
#include "platform/platform.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

namespace {

// The depth is the first token between any of the letters of the command word and blanks,
// read as a decimal integer.
int perft_depth(const char* line)
{
    char copy[4096];
    std::snprintf(copy, sizeof copy, "%s", line);
    const char* token = std::strtok(copy, "perft ");
    if (token == nullptr)
        return 0;
    long depth = std::strtol(token, nullptr, 10);
    return depth < 0 || depth > 9 ? -1 : int(depth);
}

}  // namespace

void perft_command(const char* line)
{
    const int depth = perft_depth(line);
    if (depth < 1 || depth > 9) {
        std::printf("Error Depth\n");
        return;
    }
    load_fen(START_FEN);
    const uint32_t start = tick_count();

    MoveList list;
    generate_moves(list);
    uint64_t total = 0;
    for (int i = 0; i < list.count; ++i) {
        make_move(list.moves[i]);
        if (!move_was_legal()) {
            unmake_move();
            continue;
        }
        uint64_t count = perft(depth - 1);
        total += count;
        unmake_move();
        char text[6];
        move_to_text(list.moves[i], text);
        std::printf("%s - %" PRIu64 " \n", text, count);
    }

    const uint32_t elapsed = tick_count() - start;
    std::printf("Nodes for depth %d:  %" PRIu64 "\n", depth, total);
    std::printf("Time: %f\n", double(float(elapsed) * 0.001f));
    std::printf("Expected: %" PRIu64 "\n", PERFT_EXPECTED[depth]);
    if (elapsed != 0)
        std::printf("Knps: %u\n", unsigned(total / elapsed * 1000));
}

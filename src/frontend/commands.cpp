// The "position", "setoption name" and "perft" commands, and the integer reading of the
// handlers.
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/uci.h"
#include "platform/platform.h"
#include "search/search.h"

void position_command(char* line)
{
    char* fen = std::strstr(line, "fen ");
    char* moves = std::strstr(line, "moves ");
    if (fen != nullptr) {
        if (moves != nullptr && moves > line)
            moves[-1] = '\0';  // the FEN ends before the move list
        load_fen(fen + 4);
    } else {
        load_fen(START_FEN);  // "startpos", or any other word, means the start position
    }
    if (moves == nullptr)
        return;

    count_loaded_position();
    const char* c = moves + 6;
    while (*c != '\0' && *c != '\n') {
        char text[6] = {};
        for (int i = 0; i < 4; ++i) {
            if (c[i] == '\0') {
                std::printf("ERROR MOVE!\n");  // a move cut short by the end of the line
                return;
            }
            text[i] = c[i];
        }
        c += 4;
        if (*c != '\0' && *c != ' ')
            text[4] = *c++;  // a promotion letter, or whatever ends the line
        const Move move = text_to_move(text);
        if (move != 0)
            play_game_move(move);
        else
            std::printf("ERROR MOVE!\n");
        while (*c == ' ')
            ++c;
    }
}

void setoption_command(char* line)
{
    char* name = std::strstr(line, "name ");
    char* value = std::strstr(line, "value ");
    if (name == nullptr || value == nullptr || value <= line)
        return;
    value[-1] = '\0';
    if (std::strcmp(name + 5, "Hash") != 0)
        return;

    // Sizes outside the announced range are taken to its nearest end, as interfaces expect.
    int32_t megabytes = parse_int(value + 6);
    if (megabytes < MIN_HASH_MEGABYTES)
        megabytes = MIN_HASH_MEGABYTES;
    if (megabytes > MAX_HASH_MEGABYTES)
        megabytes = MAX_HASH_MEGABYTES;
    const uint64_t entries = table_entries_for(megabytes);
    // Without the memory the engine keeps its current table.
    if (allocate_table(entries))
        clear_table();
}

int perft_depth(const char* line)
{
    // The letters of the command word and the blank all separate, so that "perft 5" and
    // "perft5" both ask for 5: the depth is the first run of other characters.
    constexpr const char SEPARATORS[] = "perft ";
    const char* token = line + std::strspn(line, SEPARATORS);
    if (*token == '\0')
        return 0;
    long depth = std::strtol(token, nullptr, 10);
    return depth < 0 || depth > 9 ? -1 : int(depth);
}

void perft_command(const char* line)
{
    const int depth = perft_depth(line);
    if (depth < 1 || depth > 9) {
        std::printf("Error Depth\n");
        return;
    }
    load_fen(START_FEN);
    const uint32_t start = tick_count();
    const uint64_t total = perft_divide(depth, "%s - %" PRIu64 " \n");

    const uint32_t elapsed = tick_count() - start;
    std::printf("Nodes for depth %d:  %" PRIu64 "\n", depth, total);
    std::printf("Time: %f\n", double(float(elapsed) * 0.001f));
    std::printf("Expected: %" PRIu64 "\n", PERFT_EXPECTED[depth]);
    if (elapsed != 0)
        std::printf("Knps: %u\n", unsigned(total / elapsed * 1000));
}

int32_t parse_int(const char* text)
{
    const char* c = text;
    while (*c == ' ' || (*c >= '\t' && *c <= '\r'))
        ++c;
    bool negative = false;
    if (*c == '+' || *c == '-')
        negative = *c++ == '-';
    int64_t value = 0;
    for (; *c >= '0' && *c <= '9'; ++c) {
        if (value <= INT32_MAX)
            value = value * 10 + (*c - '0');
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return int32_t(value);
}

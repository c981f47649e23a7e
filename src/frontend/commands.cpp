// The "position" and "setoption name" commands.
#include <cstdio>
#include <cstring>

#include "frontend/uci.h"
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

    position.root_ply = 1;
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
    const uint64_t entries = uint32_t(megabytes) * 1048576u / uint32_t(sizeof(HashEntry));
    // Without the memory the engine keeps its current table.
    if (allocate_table(entries))
        clear_table();
}

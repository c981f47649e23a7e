// Start-up and the command loop.
#include "frontend/uci.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "eval/eval.h"
#include "frontend/version.h"
#include "movegen/movegen.h"
#include "platform/platform.h"
#include "search/search.h"

namespace {

constexpr int LINE_SIZE = 4096;  // a longer line is read in pieces of LINE_SIZE - 1 characters

bool begins_with(const char* line, const char* word) { return std::strncmp(line, word, std::strlen(word)) == 0; }

void uci_command()
{
    std::printf("id name %s %s\nid author %s\noption name Hash type spin default %d min %d max %d\nuciok\n",
                ENGINE_NAME, ENGINE_VERSION, ENGINE_AUTHOR, DEFAULT_HASH_MEGABYTES, MIN_HASH_MEGABYTES,
                MAX_HASH_MEGABYTES);
}

}  // namespace

void start_engine()
{
    init_position();
    init_material();
    allocate_table(DEFAULT_TABLE_ENTRIES);
    load_fen(START_FEN);
}

void stop_engine() { release_table(); }

void ucinewgame_command()
{
    clear_game();
    forget_last_search();
    clear_table();
}

bool execute_command(char* line)
{
    // The order matters: "ucinewgame" before "uci", and any line beginning "go" is "go".
    if (begins_with(line, "go"))
        go_command(line);
    else if (begins_with(line, "position"))
        position_command(line);
    else if (begins_with(line, "stop"))
        limits.stop = 1;
    else if (begins_with(line, "ucinewgame"))
        ucinewgame_command();
    else if (begins_with(line, "uci"))
        uci_command();
    else if (begins_with(line, "setoption name"))
        setoption_command(line);
    else if (begins_with(line, "isready"))
        std::printf("readyok\n");
    else if (begins_with(line, "ponderhit"))
        ;
    else if (begins_with(line, "perft"))
        perft_command(line);
    else if (begins_with(line, "test")) {
        load_fen(TEST_FEN);
        print_board();
    } else if (begins_with(line, "print"))
        print_board();
    else if (begins_with(line, "quit"))
        return false;
    return true;
}

void command_loop()
{
    std::printf("%s\n", ENGINE_BANNER);
    char line[LINE_SIZE];
    while (read_input_line(line, LINE_SIZE) > 0) {
        if (!execute_command(line)) {
            stop_engine();
            std::exit(0);
        }
    }
}

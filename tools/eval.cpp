// korvane-eval FEN...: the static evaluation of a position for the side to move, last line.
#include <cstdio>
#include <string>

#include "eval/eval.h"
#include "frontend/uci.h"
#include "position/position.h"
#include "tool_support.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: korvane-eval FEN...\n");
        return 2;
    }
    start_engine();
    load_fen(joined_words(argc, argv, 1).c_str());
    const int32_t score = evaluate();
    std::printf("pieces counted: %d\n%d\n", position.piece_count, score);
    return 0;
}

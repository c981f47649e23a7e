// korvane-eval FEN...: the static evaluation of a position for the side to move, last line.
#include <cstdio>
#include <string>

#include "eval/eval.h"
#include "frontend/uci.h"
#include "position/position.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: korvane-eval FEN...\n");
        return 2;
    }
    start_engine();
    std::string fen = argv[1];
    for (int i = 2; i < argc; ++i)
        fen += std::string(" ") + argv[i];
    load_fen(fen.c_str());
    const int32_t score = evaluate();
    std::printf("pieces counted: %d\n%d\n", position.piece_count, score);
    return 0;
}

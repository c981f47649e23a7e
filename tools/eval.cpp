// korvane-eval FEN...: the static evaluation of a position for the side to move, last line.
#include <cstdio>
#include <string>

#include "eval/eval.h"
#include "position/position.h"
#include "tool_support.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: korvane-eval FEN...\n");
        return 2;
    }
    // Only the evaluation and the position: this tool links nothing above them.
    init_piece_tables();
    init_material();
    init_keys();
    load_fen(joined_words(argc, argv, 1).c_str());
    const int32_t score = evaluate();
    std::printf("pieces counted: %d\n%d\n", position.piece_count, score);
    return 0;
}

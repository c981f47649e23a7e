// korvane-eval [--terms] FEN...: the static evaluation of a position for the side to move, last
// line. With --terms it first prints the evaluation term by term, each side from its own view,
// as the browser page explains it:
//   term            White  Black
//   material         3900   3900
//   ...
//   sum              4021   4021
//   phase: middlegame
#include <cstdio>
#include <cstring>
#include <string>

#include "eval/eval.h"
#include "position/position.h"
#include "tool_support.h"

namespace {

void print_terms(const EvalTerms& terms)
{
    std::printf("%-16s %6s %6s\n", "term", "White", "Black");
    int32_t sum[2] = {0, 0};
    for (int t = 0; t < TERM_COUNT; ++t) {
        std::printf("%-16s %6d %6d\n", EVAL_TERM_NAMES[t], terms.value[0][t], terms.value[1][t]);
        sum[0] += terms.value[0][t];
        sum[1] += terms.value[1][t];
    }
    std::printf("%-16s %6d %6d\n", "sum", sum[0], sum[1]);
    std::printf("phase: %s\n", terms.middlegame ? "middlegame" : "endgame");
    if (terms.material_halved)
        std::printf("note: material halved, opposite-coloured bishops\n");
    if (terms.drawn_ending)
        std::printf("note: drawn ending, scored 0\n");
}

}  // namespace

int main(int argc, char** argv)
{
    const bool terms_wanted = argc > 1 && std::strcmp(argv[1], "--terms") == 0;
    const int first = terms_wanted ? 2 : 1;
    if (argc <= first) {
        std::fprintf(stderr, "usage: korvane-eval [--terms] FEN...\n");
        return 2;
    }
    // Only the evaluation and the position: this tool links nothing above them.
    init_position();
    init_material();
    load_fen(joined_words(argc, argv, first).c_str());
    EvalTerms terms;
    const int32_t score = terms_wanted ? explain_evaluation(terms) : evaluate();
    if (terms_wanted)
        print_terms(terms);
    std::printf("pieces counted: %d\n%d\n", position.piece_count, score);
    return 0;
}

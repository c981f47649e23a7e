// Drives the engine's command handlers in-process with an arbitrary byte stream, read as lines
// the way the command loop reads them. Searches are kept to 65536 nodes and perft to depth 1-2
// so that every input runs in milliseconds; everything else goes to the handlers untouched.
// Built two ways: with libFuzzer (run_fuzzer.sh) and with a small main that replays the corpus
// in the test suite (replay_main.cpp).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frontend/uci.h"
#include "search/search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr size_t LINE_PIECE = 4095;  // the command loop reads longer lines in pieces

void engine_once()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    if (std::getenv("KORVANE_FUZZ_VERBOSE") == nullptr)
        std::freopen("/dev/null", "w", stdout);
    listen_during_search = false;  // the fuzzer's own input is not standard input
    start_engine();
}

// A position with a game's worth of material and no pawn about to promote has capture sequences
// a depth-limited search gets through in milliseconds.
bool search_is_bounded()
{
    int white = 0, black = 0, queens = 0;
    for (Square sq = 0; sq < 64; ++sq) {
        const Piece piece = position.board[sq];
        white += colour_of(piece) == WHITE;
        black += colour_of(piece) == BLACK;
        queens += kind_of(piece) == QUEEN;
        if ((piece == WHITE_PAWN && rank_of(sq) >= 6) || (piece == BLACK_PAWN && rank_of(sq) <= 1))
            return false;
    }
    return white <= 16 && black <= 16 && queens <= 2;
}

void run_line(std::string line)
{
    if (line.rfind("go", 0) == 0) {
        // The line is parsed as given, then searched to depth 1-3. A depth limit alone does
        // not bound the quiescence search, which follows every capture sequence to its end
        // (a composed position can have millions): other positions are searched on a budget
        // already spent, which stops at the first check, after 65536 nodes at most.
        GoParameters go = parse_go(line.c_str());
        go.depth = search_is_bounded() ? 1 + double(line.size() % 3) : 0;
        go.movetime = 1;
        go.infinite = go.ponder = false;
        set_limits(go);
        run_search();
        return;
    }
    if (line.rfind("perft", 0) == 0) {
        const int depth = perft_depth(line.c_str());  // as the command reads it
        if (depth >= 3 && depth <= 9)
            line = "perft " + std::to_string(1 + depth % 2) + "\n";
    }
    execute_command(line.data());  // "quit" only answers false here
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    engine_once();
    char start[] = "position startpos\n";
    execute_command(start);

    std::string line;
    for (size_t i = 0; i < size; ++i) {
        line += char(data[i]);
        if (data[i] == '\n' || line.size() == LINE_PIECE) {
            run_line(line);
            line.clear();
        }
    }
    if (!line.empty())
        run_line(line);
    return 0;
}

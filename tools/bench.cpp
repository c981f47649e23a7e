// korvane-bench [DEPTH]: searches a fixed set of positions to a fixed depth through the same
// "position" and "go depth" commands an interface sends, each from a fresh engine state, and
// prints the total node count (the signature of the search's behaviour) and the speed.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/uci.h"
#include "search/search.h"

namespace {

constexpr int DEFAULT_DEPTH = 8;

// "position" arguments: openings, middlegames (most with 24 pieces or more), endgames, a side
// in check, forced mates and a repetition.
constexpr const char* BENCH_POSITIONS[] = {
    "startpos",
    "fen r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "fen r1bqkb1r/pp1n1ppp/2p1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQKB1R w KQkq - 0 6",
    "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "fen r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "fen rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "fen r1bq1rk1/pp2bppp/2n2n2/3p4/3P4/2NB1N2/PP3PPP/R1BQ1RK1 w - - 0 10",
    "fen r2q1rk1/pp2ppbp/2p2np1/6B1/3PP1b1/Q1P2N2/P4PPP/3RKB1R b K - 0 13",
    "fen r1bbk1nr/pp3p1p/2n5/1N4p1/2Np1B2/8/PPP2PPP/2KR1B1R w kq - 0 13",
    "fen 4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19",
    "fen r3r1k1/2p2ppp/p1p1bn2/8/1q2P3/2NPQN2/PPP3PP/R4RK1 b - - 2 15",
    "fen rnbqkbnr/ppp2ppp/8/1B1pp3/4P3/8/PPPP1PPP/RNBQK1NR b KQkq - 1 3",
    "fen r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1",
    "fen 6k1/5pp1/p3p2p/8/2P5/1P4P1/P4P1P/6K1 w - - 0 30",
    "fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "fen 2r3k1/pp3ppp/4p3/8/3P4/1P3N2/P4PPP/2R3K1 b - - 0 25",
    "fen 8/8/8/4k3/8/8/2K1R3/8 w - - 0 1",
    "startpos moves g1f3 g8f6 f3g1 f6g8",
};

}  // namespace

int main(int argc, char** argv)
{
    const int depth = argc > 1 ? std::atoi(argv[1]) : DEFAULT_DEPTH;
    if (depth < 1) {
        std::fprintf(stderr, "usage: korvane-bench [DEPTH]\n");
        return 2;
    }
    start_engine();
    quiet_search = true;
    listen_during_search = false;

    uint64_t total = 0;
    const auto start = std::chrono::steady_clock::now();
    int index = 0;
    for (const char* arguments : BENCH_POSITIONS) {
        ucinewgame_command();
        std::string position_line = std::string("position ") + arguments + "\n";
        position_command(position_line.data());
        std::string go_line = "go depth " + std::to_string(depth) + "\n";
        go_command(go_line.data());

        char text[6];
        move_to_text(search_state.best_move, text);
        std::printf("position %2d: %10" PRIu64 " nodes  bestmove %s\n", ++index, limits.nodes, text);
        total += limits.nodes;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Bench: %" PRIu64 " nodes %.0f nps\n", total, seconds > 0 ? total / seconds : 0.0);
    stop_engine();
    return 0;
}

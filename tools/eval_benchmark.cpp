// korvane-eval-benchmark: nanoseconds per call of the static evaluation, over middlegame and
// endgame positions (Google Benchmark; run it on a Release build).
#include <benchmark/benchmark.h>

#include "eval/eval.h"
#include "frontend/uci.h"
#include "position/position.h"

namespace {

constexpr const char* MIDDLEGAMES[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r1bq1rk1/pp2bppp/2n2n2/3p4/3P4/2NB1N2/PP3PPP/R1BQ1RK1 w - - 0 10",
    "r2q1rk1/pp2ppbp/2p2np1/6B1/3PP1b1/Q1P2N2/P4PPP/3RKB1R b K - 0 13",
    "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19",
};
constexpr const char* ENDGAMES[] = {
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "6k1/5pp1/p3p2p/8/2P5/1P4P1/P4P1P/6K1 w - - 0 30",
    "2r3k1/pp3ppp/4p3/8/3P4/1P3N2/P4PPP/2R3K1 b - - 0 25",
    "8/8/1p1k4/1P6/2K5/8/8/8 w - - 0 1",
    "8/5pk1/6p1/8/3B4/6P1/5PK1/2b5 w - - 0 40",
    "8/8/8/4k3/8/8/2K1R3/8 w - - 0 1",
};

// One position per run, loaded once: the loop times evaluate() alone.
void evaluate_position(benchmark::State& state, const char* fen)
{
    static bool started = false;
    if (!started) {
        start_engine();
        started = true;
    }
    load_fen(fen);
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluate());
}

void register_positions()
{
    for (const char* fen : MIDDLEGAMES)
        benchmark::RegisterBenchmark("middlegame", evaluate_position, fen);
    for (const char* fen : ENDGAMES)
        benchmark::RegisterBenchmark("endgame", evaluate_position, fen);
}

}  // namespace

int main(int argc, char** argv)
{
    register_positions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

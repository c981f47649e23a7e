// korvane-match: whole games of Korvane against itself over the UCI protocol, as a tournament
// manager plays them: two engine processes, "position startpos moves ...", clocks sent with
// every "go" and charged with the time from "go" to "bestmove". Every move is checked against
// the engine's own legal move list (and, with --stockfish, against that engine's "go perft 1").
//
//   korvane-match [--engine COMMAND [--engine COMMAND]] [--games N] [--time MS] [--inc MS]
//                 [--max-plies N] [--stockfish PATH]
//
// Each --engine is a command line, a program and its arguments separated by blanks (for example
// "node build-wasm/korvane.mjs"); a second --engine plays against the first, each taking White
// in every other game. Without one, both sides are the korvane built beside this program.
//
// The last lines report games, each engine's wins, moves, illegal moves, crashes, time losses and
// how far the engines went beyond the budget their own "go" handler computed (the overshoot).
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "e2e/engine_process.h"
#include "frontend/uci.h"
#include "movegen/movegen.h"
#include "search/search.h"

namespace {

// Short openings, so that a deterministic engine does not play the same game again and again.
// Each is played once with either colour.
const char* const OPENINGS[] = {
    "e2e4 e7e5",           "e2e4 c7c5",           "e2e4 e7e6",           "e2e4 c7c6",           "d2d4 d7d5",
    "d2d4 g8f6",           "c2c4 e7e5",           "g1f3 d7d5",           "e2e4 d7d5",           "d2d4 f7f5",
    "b2b3 e7e5",           "e2e4 g7g6",           "c2c4 c7c5",           "d2d4 e7e6",           "e2e4 e7e5 g1f3 b8c6",
    "e2e4 c7c5 g1f3 d7d6", "d2d4 d7d5 c2c4 e7e6", "d2d4 g8f6 c2c4 g7g6", "e2e4 e7e5 f2f4",      "e2e4 c7c6 d2d4 d7d5",
    "g2g3 d7d5",           "f2f4 d7d5",           "e2e4 b8c6",           "d2d4 c7c5",           "e2e4 e7e5 g1f3 g8f6",
    "c2c4 g8f6 b1c3 e7e5", "e2e4 d7d6 d2d4 g8f6", "d2d4 d7d5 g1f3 g8f6", "e2e4 e7e6 d2d4 d7d5", "b1c3 d7d5",
    "e2e3 e7e5",           "d2d3 d7d5",           "a2a3 e7e5",           "h2h3 d7d5",           "e2e4 a7a6",
    "d2d4 b7b6",           "c2c4 e7e6 b1c3 d7d5", "e2e4 e7e5 b1c3",      "g1f3 c7c5",           "b2b4 e7e5",
    "e2e4 g8f6",           "d2d4 d7d6",           "c2c4 c7c6",           "e2e4 e7e5 d2d4 e5d4", "d2d4 g8f6 g1f3 e7e6",
    "e2e4 c7c5 b1c3",      "e2e4 e7e5 f1c4",      "d2d4 e7e5",           "c2c3 e7e5",           "e2e4 h7h6",
};

struct Options {
    std::vector<std::string> engines;  // command lines, as given
    std::string stockfish;
    int games = 20;
    int time_ms = 1000;
    int inc_ms = 10;
    int max_plies = 160;
};

struct Totals {
    int games = 0, moves = 0, illegal = 0, crashes = 0, time_losses = 0;
    int white_wins = 0, black_wins = 0, draws = 0, adjudicated = 0;
    int engine_wins[2] = {0, 0};       // [engine] as given on the command line
    std::vector<long long> overshoot;  // milliseconds beyond the computed budget, per move
};

// A command line's words; its first is the program.
std::vector<std::string> command_words(const std::string& command)
{
    std::vector<std::string> words;
    for (size_t at = 0; (at = command.find_first_not_of(' ', at)) != std::string::npos;) {
        const size_t end = std::min(command.find(' ', at), command.size());
        words.push_back(command.substr(at, end - at));
        at = end;
    }
    return words;
}

bool start_korvane(EngineProcess& engine, const std::string& command)
{
    std::vector<std::string> words = command_words(command);
    if (words.empty())
        words.push_back(KORVANE_BINARY);  // the default path is one word, blanks and all
    if (!start_engine_process(engine, words[0], std::vector<std::string>(words.begin() + 1, words.end())))
        return false;
    send_text(engine, "uci\nisready\n");
    return wait_for_line(
               engine, [](const std::string& l) { return l == "readyok"; }, 20000) != "<timeout>";
}

// The legal moves as the black-box engine lists them after "go perft 1".
std::set<std::string> stockfish_moves(EngineProcess& stockfish, const std::string& moves)
{
    send_text(stockfish, "position startpos moves " + moves + "\ngo perft 1\n");
    std::set<std::string> legal;
    for (;;) {
        std::string line = wait_for_line(
            stockfish, [](const std::string&) { return true; }, 20000);
        if (line == "<timeout>" || line.rfind("Nodes searched", 0) == 0)
            break;
        const size_t colon = line.find(':');
        if (colon != std::string::npos && colon >= 4 && colon <= 5)
            legal.insert(line.substr(0, colon));
    }
    return legal;
}

bool insufficient_material()
{
    int minors = 0;
    for (Piece piece : position.board) {
        const int kind = kind_of(piece);
        if (kind == PAWN || kind == ROOK || kind == QUEEN)
            return false;
        if (kind == KNIGHT || kind == BISHOP)
            ++minors;
    }
    return minors <= 1;
}

// The budget the engine's own "go" handler computes for this clock.
double budget_for(const std::string& go_line)
{
    set_limits(parse_go(go_line.c_str()));
    return limits.time_budget;
}

// Plays one game; returns 1 (white wins), -1 (black wins), 0 (draw) and counts into totals.
int play_game(EngineProcess (&engines)[2], int white, const char* opening, const Options& o, Totals& totals,
              EngineProcess* stockfish)
{
    load_fen(START_FEN);
    std::string moves;
    std::vector<uint64_t> keys{compute_key()};
    for (const char* c = opening; *c;) {
        std::string text(c, std::strcspn(c, " "));
        play_game_move(text_to_move(text.c_str()));
        keys.push_back(compute_key());
        moves += (moves.empty() ? "" : " ") + text;
        c += text.size();
        while (*c == ' ')
            ++c;
    }
    long long clock[2] = {o.time_ms, o.time_ms};  // [colour] white, black
    for (EngineProcess& engine : engines)
        send_text(engine, "ucinewgame\nisready\n");
    for (EngineProcess& engine : engines)
        wait_for_line(
            engine, [](const std::string& l) { return l == "readyok"; }, 20000);

    for (int ply = 0;; ++ply) {
        Move legal[MAX_MOVES];
        int32_t count;
        generate_legal_moves(legal, count);
        const int side = position.turn;
        if (count == 0)
            return in_check() ? (side == 0 ? -1 : 1) : 0;
        if (position.fifty >= 100 || insufficient_material() || std::count(keys.begin(), keys.end(), keys.back()) >= 3)
            return 0;
        if (ply >= o.max_plies) {
            totals.adjudicated += 1;
            return 0;
        }

        EngineProcess& engine = engines[side == 0 ? white : 1 - white];
        char go[160];
        std::snprintf(go, sizeof go, "go wtime %lld btime %lld winc %d binc %d\n", clock[0], clock[1], o.inc_ms,
                      o.inc_ms);
        const double budget = budget_for(go);
        send_text(engine, "position startpos moves " + moves + "\n" + go);
        const long long sent = now_ms();
        const std::string reply = wait_for_prefix(engine, "bestmove ", int(clock[side]) + 10000);
        const long long used = now_ms() - sent;
        if (reply == "<timeout>") {
            totals.crashes += 1;
            std::printf("  no bestmove (crash or hang) after: %s\n", moves.c_str());
            return side == 0 ? -1 : 1;
        }
        totals.overshoot.push_back(used - (long long)(budget));
        const long long clock_before = clock[side];
        clock[side] -= used;
        if (clock[side] < 0) {
            totals.time_losses += 1;
            std::printf(
                "  time loss: %s at ply %d: clock %lld ms, budget %.1f ms, used %lld ms (%lld over the clock)\n",
                side == 0 ? "white" : "black", ply, clock_before, budget, used, -clock[side]);
            return side == 0 ? -1 : 1;
        }
        clock[side] += o.inc_ms;

        const std::string text = reply.substr(9);
        const Move move = text_to_move(text.c_str());
        bool is_legal = false;
        for (int i = 0; i < count; ++i)
            is_legal |= legal[i] == move && move != 0;
        if (is_legal && stockfish != nullptr)
            is_legal = stockfish_moves(*stockfish, moves).count(text) == 1;
        if (!is_legal) {
            totals.illegal += 1;
            std::printf("  illegal move %s after: %s\n", text.c_str(), moves.c_str());
            return side == 0 ? -1 : 1;
        }
        totals.moves += 1;
        play_game_move(move);
        keys.push_back(compute_key());
        if (position.fifty == 0)
            keys.erase(keys.begin(), keys.end() - 1);
        moves += " " + text;
    }
}

std::string percentile(std::vector<long long> values, double p)
{
    if (values.empty())
        return "-";
    std::sort(values.begin(), values.end());
    return std::to_string(values[size_t(p * double(values.size() - 1))]);
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--engine")
            o.engines.push_back(argv[i + 1]);
        else if (flag == "--stockfish")
            o.stockfish = argv[i + 1];
        else if (flag == "--games")
            o.games = std::atoi(argv[i + 1]);
        else if (flag == "--time")
            o.time_ms = std::atoi(argv[i + 1]);
        else if (flag == "--inc")
            o.inc_ms = std::atoi(argv[i + 1]);
        else if (flag == "--max-plies")
            o.max_plies = std::atoi(argv[i + 1]);
        else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (o.engines.size() > 2) {
        std::fprintf(stderr, "at most two --engine\n");
        return 2;
    }
    while (o.engines.size() < 2)
        o.engines.push_back(o.engines.empty() ? "" : o.engines[0]);
    start_engine();
    listen_during_search = false;

    Totals totals;
    EngineProcess engines[2];
    EngineProcess stockfish;
    if (!o.stockfish.empty()) {
        if (!launch_process(stockfish, o.stockfish)) {
            std::fprintf(stderr, "cannot start %s\n", o.stockfish.c_str());
            return 2;
        }
        // A missing program still forks: only its answer shows it runs. Without the oracle every
        // move would be reported illegal.
        send_text(stockfish, "uci\nisready\n");
        if (wait_for_line(
                stockfish, [](const std::string& l) { return l == "readyok"; }, 20000) == "<timeout>") {
            std::fprintf(stderr, "%s does not answer \"isready\" (is it installed?)\n", o.stockfish.c_str());
            stop_engine_process(stockfish);
            return 2;
        }
    }
    for (int game = 0; game < o.games; ++game) {
        for (int e = 0; e < 2; ++e) {
            if (engines[e].pid <= 0 && !start_korvane(engines[e], o.engines[size_t(e)])) {
                std::printf("engine %d does not start\n", e + 1);
                totals.crashes += 1;
                stop_engine_process(engines[e]);
            }
        }
        const int crashes_before = totals.crashes;
        const char* opening = OPENINGS[(game / 2) % (sizeof OPENINGS / sizeof OPENINGS[0])];
        const int result = play_game(engines, game % 2, opening, o, totals, o.stockfish.empty() ? nullptr : &stockfish);
        totals.games += 1;
        result > 0 ? totals.white_wins++ : result < 0 ? totals.black_wins++ : totals.draws++;
        if (result != 0)
            totals.engine_wins[(result > 0) == (game % 2 == 0) ? 0 : 1]++;
        std::printf("game %d (%s): %s\n", game + 1, opening, result > 0 ? "1-0" : result < 0 ? "0-1" : "1/2-1/2");
        std::fflush(stdout);
        if (totals.crashes != crashes_before)
            for (EngineProcess& engine : engines)
                stop_engine_process(engine);  // restarted fresh for the next game
    }
    for (EngineProcess& engine : engines) {
        send_text(engine, "quit\n");
        if (wait_for_exit(engine, 5000) != 0)
            totals.crashes += 1;
    }
    if (stockfish.pid > 0) {
        send_text(stockfish, "quit\n");
        wait_for_exit(stockfish, 5000);
    }

    std::printf("results: +%d -%d =%d (white wins, black wins, draws), %d adjudicated at %d plies\n", totals.white_wins,
                totals.black_wins, totals.draws, totals.adjudicated, o.max_plies);
    for (int e = 0; e < 2; ++e)
        std::printf("engine %d (%s): %d wins\n", e + 1,
                    o.engines[size_t(e)].empty() ? KORVANE_BINARY : o.engines[size_t(e)].c_str(),
                    totals.engine_wins[e]);
    std::printf("games: %d\nmoves: %d\nillegal moves: %d\ncrashes: %d\ntime losses: %d\n", totals.games, totals.moves,
                totals.illegal, totals.crashes, totals.time_losses);
    long long sum = 0;
    for (long long o_ms : totals.overshoot)
        sum += o_ms;
    std::printf("overshoot ms (used minus budget, %zu moves): mean %.1f min %s p10 %s median %s p90 %s p99 %s max %s\n",
                totals.overshoot.size(), totals.overshoot.empty() ? 0.0 : double(sum) / double(totals.overshoot.size()),
                percentile(totals.overshoot, 0).c_str(), percentile(totals.overshoot, 0.1).c_str(),
                percentile(totals.overshoot, 0.5).c_str(), percentile(totals.overshoot, 0.9).c_str(),
                percentile(totals.overshoot, 0.99).c_str(), percentile(totals.overshoot, 1).c_str());
    return totals.illegal == 0 && totals.crashes == 0 ? 0 : 1;
}

// korvane-match: whole games of Korvane against itself over the UCI protocol, as a tournament
// manager plays them: two engine processes, "position startpos moves ...", clocks sent with
// every "go" and charged with the time from "go" to "bestmove". Every move is checked against
// the engine's own legal move list (and, with --stockfish, against that engine's "go perft 1").
//
//   korvane-match [--engine COMMAND [--go TEXT] [--option NAME=VALUE]...]...
//                 [--games N] [--time MS] [--inc MS] [--max-plies N] [--stockfish PATH]
//
// Each --engine is a command line, a program and its arguments separated by blanks (for example
// "node build-wasm/korvane.mjs" or "/usr/games/stockfish"); a second --engine plays against the
// first, each taking White in every other game. Without one, both sides are the korvane built
// beside this program; with one, both sides are that engine with its settings.
//
// --go and --option belong to the --engine before them. --go "depth 3" (or "movetime 500")
// sends that engine "go depth 3" instead of the clocks: it is not charged time and cannot lose
// on time, though a reply that takes a minute beyond any movetime counts as a hang.
// --option "UCI_Elo=1500" sends "setoption name UCI_Elo value 1500" between "uci" and "isready";
// it may be given again for more options.
//
// The last lines report games, each engine's wins, moves, illegal moves, crashes, time losses and
// how far the engines on a clock went beyond the budget korvane's "go" handler would compute (the
// overshoot). When the two sides differ, each engine's wins, draws, losses, score and the Elo
// difference that score implies follow.
#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cmath>
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

// One side of the match as the command line sets it up.
struct EngineSetup {
    std::string command;               // as given; empty for the korvane built beside this program
    std::string go;                    // what follows "go" instead of the clocks; empty for the clocks
    std::vector<std::string> options;  // "NAME=VALUE", sent as setoption in this order
};

bool operator==(const EngineSetup& a, const EngineSetup& b)
{
    return a.command == b.command && a.go == b.go && a.options == b.options;
}

struct Options {
    std::vector<EngineSetup> engines;
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

// Any UCI engine: its banner is not awaited (each engine has its own), only "uciok" and then
// "readyok" after the options.
bool start_uci_engine(EngineProcess& engine, const EngineSetup& setup)
{
    std::vector<std::string> words = command_words(setup.command);
    if (words.empty())
        words.push_back(KORVANE_BINARY);  // the default path is one word, blanks and all
    if (!launch_process(engine, words[0], std::vector<std::string>(words.begin() + 1, words.end())))
        return false;
    send_text(engine, "uci\n");
    if (wait_for_line(
            engine, [](const std::string& l) { return l == "uciok"; }, 20000) == "<timeout>")
        return false;
    for (const std::string& option : setup.options) {
        const size_t equals = option.find('=');
        send_text(engine, "setoption name " + option.substr(0, equals) + " value " + option.substr(equals + 1) + "\n");
    }
    send_text(engine, "isready\n");
    return wait_for_line(
               engine, [](const std::string& l) { return l == "readyok"; }, 20000) != "<timeout>";
}

// How long a side with its own "go" may think before it counts as hung: a minute beyond any
// movetime it was given.
int fixed_go_timeout(const std::string& go)
{
    const double movetime = parse_go(("go " + go).c_str()).movetime;
    return 60000 + int(std::clamp(movetime, 0.0, 1e9));
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

        const int mover = side == 0 ? white : 1 - white;
        EngineProcess& engine = engines[mover];
        const std::string& fixed_go = o.engines[size_t(mover)].go;
        const bool on_clock = fixed_go.empty();
        char go[160];
        std::snprintf(go, sizeof go, "go wtime %lld btime %lld winc %d binc %d\n", clock[0], clock[1], o.inc_ms,
                      o.inc_ms);
        const double budget = on_clock ? budget_for(go) : 0.0;
        send_text(engine,
                  "position startpos moves " + moves + "\n" + (on_clock ? std::string(go) : "go " + fixed_go + "\n"));
        const long long sent = now_ms();
        const int timeout = on_clock ? int(std::min(clock[side], 1LL << 30)) + 10000 : fixed_go_timeout(fixed_go);
        const std::string reply = wait_for_prefix(engine, "bestmove ", timeout);
        const long long used = now_ms() - sent;
        if (reply == "<timeout>") {
            totals.crashes += 1;
            std::printf("  no bestmove (crash or hang) after: %s\n", moves.c_str());
            return side == 0 ? -1 : 1;
        }
        if (on_clock) {
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
        }

        const std::string text = reply.substr(9, reply.find(' ', 9) - 9);  // "ponder ..." may follow
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

// The Elo difference a score implies on the logistic curve.
double elo_for(double score) { return -400.0 * std::log10(1.0 / score - 1.0); }

// One engine's wins, draws and losses against the other, its score and the Elo difference with
// a rough 95% margin (two standard errors of the mean game score, through the curve). A score
// of 0 or 1 has no finite difference: it is taken as half a game short of that, and the figure
// is then only a bound.
void print_score(int e, const EngineSetup& setup, int wins, int draws, int losses)
{
    std::string label = setup.command.empty() ? KORVANE_BINARY : setup.command;
    if (!setup.go.empty())
        label += ", go " + setup.go;
    for (const std::string& option : setup.options)
        label += ", " + option;
    const int games = wins + draws + losses;
    if (games == 0) {
        std::printf("engine %d (%s): no games\n", e + 1, label.c_str());
        return;
    }
    const double n = games, score = (wins + 0.5 * draws) / n;
    std::printf("engine %d (%s): +%d =%d -%d, score %.1f%%, ", e + 1, label.c_str(), wins, draws, losses, 100 * score);
    const double edge = 0.5 / n;
    if (score < edge || score > 1 - edge) {
        std::printf("Elo %s %+.0f (the score taken half a game from %s)\n", score < edge ? "at most" : "at least",
                    elo_for(std::clamp(score, edge, 1 - edge)), score < edge ? "none" : "all");
        return;
    }
    const double deviation = std::sqrt(
        (wins * (1 - score) * (1 - score) + draws * (0.5 - score) * (0.5 - score) + losses * score * score) / n);
    const double margin = 1.96 * deviation / std::sqrt(n);
    auto elo_clamped = [&](double p) { return elo_for(std::clamp(p, edge, 1 - edge)); };
    std::printf("Elo %+.0f +/- %.0f\n", elo_for(score),
                (elo_clamped(score + margin) - elo_clamped(score - margin)) / 2);
}

// A whole decimal number within low..high, nothing after it.
bool parse_count(const char* text, long low, long high, int& value)
{
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || parsed < low || parsed > high)
        return false;
    value = int(parsed);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; i += 2) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "%s needs a value\n", argv[i]);
            return 2;
        }
        const char* value = argv[i + 1];
        // One line each: a line break would slip another command to the engine.
        const bool one_line = std::strpbrk(value, "\r\n") == nullptr;
        bool good = true;
        if (flag == "--engine")
            o.engines.push_back({value, "", {}});
        else if (flag == "--go" || flag == "--option") {
            if (o.engines.empty()) {
                std::fprintf(stderr, "%s belongs to an --engine given before it\n", argv[i]);
                return 2;
            }
            EngineSetup& setup = o.engines.back();
            const char* equals = std::strchr(value, '=');
            if (flag == "--go") {
                if (!setup.go.empty()) {
                    std::fprintf(stderr, "one --go for each --engine\n");
                    return 2;
                }
                good = one_line && value[0] != '\0';
                setup.go = value;
            } else {
                good = one_line && equals != nullptr && equals != value;
                setup.options.push_back(value);
            }
        } else if (flag == "--stockfish")
            o.stockfish = value;
        else if (flag == "--games")
            good = parse_count(value, 0, 1000000, o.games);
        else if (flag == "--time")
            good = parse_count(value, 1, 86400000, o.time_ms);
        else if (flag == "--inc")
            good = parse_count(value, 0, 86400000, o.inc_ms);
        else if (flag == "--max-plies")
            good = parse_count(value, 0, 1000000, o.max_plies);
        else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
        if (!good) {
            std::fprintf(stderr, "bad value for %s: \"%s\"\n", argv[i], value);
            return 2;
        }
    }
    if (o.engines.size() > 2) {
        std::fprintf(stderr, "at most two --engine\n");
        return 2;
    }
    while (o.engines.size() < 2)
        o.engines.push_back(o.engines.empty() ? EngineSetup{} : o.engines[0]);
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
            if (engines[e].pid <= 0 && !start_uci_engine(engines[e], o.engines[size_t(e)])) {
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
                    o.engines[size_t(e)].command.empty() ? KORVANE_BINARY : o.engines[size_t(e)].command.c_str(),
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
    if (!(o.engines[0] == o.engines[1])) {
        for (int e = 0; e < 2; ++e)
            print_score(e, o.engines[size_t(e)], totals.engine_wins[e], totals.draws, totals.engine_wins[1 - e]);
    }
    return totals.illegal == 0 && totals.crashes == 0 ? 0 : 1;
}

// korvane-perft: perft on any position, or a whole suite of positions with known counts.
//   korvane-perft DEPTH FEN...                     per-move counts and the total
//   korvane-perft --suite FILE [--max-depth D]      checks every listed depth up to D
//   korvane-perft --start-position --max-depth D    the start position against the counts the
//                                                   engine's "perft" command expects
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "movegen/movegen.h"
#include "tool_support.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int divide(int depth, const std::string& fen)
{
    load_fen(fen.c_str());
    std::printf("%" PRIu64 "\n", perft_divide(depth, "%s: %" PRIu64 "\n"));
    return 0;
}

// Checks each case at every listed depth up to max_depth; prints the mismatches and a summary.
// unreadable counts lines of the file that were not cases, as failures.
int check_cases(const std::vector<SuiteCase>& cases, int unreadable, int max_depth)
{
    int passed = 0, failed = unreadable;
    uint64_t total = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const SuiteCase& c : cases) {
        bool ok = true;
        for (int depth = 1; depth <= int(c.counts.size()) && depth <= max_depth; ++depth) {
            load_fen(c.fen.c_str());
            const uint64_t nodes = perft(depth);
            total += nodes;
            if (nodes != c.counts[depth - 1]) {
                std::printf("MISMATCH %s depth %d: expected %" PRIu64 ", got %" PRIu64 "\n", c.fen.c_str(), depth,
                            c.counts[depth - 1], nodes);
                ok = false;
            }
        }
        ok ? ++passed : ++failed;
    }
    const double seconds = seconds_since(start);
    std::printf("%" PRIu64 " nodes\n%.0f nodes per second\n", total, seconds > 0 ? total / seconds : 0.0);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

int run_suite(const char* path, int max_depth)
{
    std::ifstream file(path);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 2;
    }
    std::vector<SuiteCase> cases;
    int unreadable = 0;
    std::string line;
    while (std::getline(file, line)) {
        if (!is_suite_case(line))
            continue;
        SuiteCase c;
        if (parse_suite_line(line, c)) {
            cases.push_back(c);
        } else {
            std::printf("unreadable line: %s\n", line.c_str());
            ++unreadable;
        }
    }
    return check_cases(cases, unreadable, max_depth);
}

// The start position against the counts the engine's "perft" command reports as expected.
int check_start_position(int max_depth)
{
    SuiteCase start{START_FEN, {}};
    for (int depth = 1; depth < int(sizeof PERFT_EXPECTED / sizeof PERFT_EXPECTED[0]); ++depth)
        start.counts.push_back(PERFT_EXPECTED[depth]);
    return check_cases({start}, 0, max_depth);
}

int usage()
{
    std::fprintf(stderr, "usage: korvane-perft DEPTH FEN...\n       korvane-perft --suite FILE [--max-depth D]\n"
                         "       korvane-perft --start-position --max-depth D\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    // Only the position and the generator: this tool links nothing above them.
    init_position();
    if (argc == 4 && std::string(argv[1]) == "--start-position" && std::string(argv[2]) == "--max-depth")
        return check_start_position(std::atoi(argv[3]));
    if (argc >= 3 && std::string(argv[1]) == "--suite") {
        int max_depth = 99;
        if (argc == 5 && std::string(argv[3]) == "--max-depth")
            max_depth = std::atoi(argv[4]);
        else if (argc != 3)
            return usage();
        return run_suite(argv[2], max_depth);
    }
    if (argc < 3)
        return usage();
    const int depth = std::atoi(argv[1]);
    if (depth < 1)
        return usage();
    return divide(depth, joined_words(argc, argv, 2));
}

// The "go" command: its parameters, and the time budget drawn from the side to move's clock.
#include <cstring>

#include "frontend/uci.h"
#include "search/search.h"

namespace {

// Hand-tuned time management: plan for this many moves when the interface gives no count (or
// an unlikely one), keep a safety margin off the clock, and reserve time for the closing report.
constexpr double DEFAULT_MOVES_TO_GO = 30;
constexpr double CLOCK_SHARE = 0.95;
constexpr double CLOCK_RESERVE = 1;
constexpr double MOVETIME_RESERVE = 50;
constexpr double LONG_BUDGET = 500;
constexpr double LONG_BUDGET_RESERVE = 80;

constexpr int MAX_WORDS = 2048;  // a 4095-character line has at most 2048 words

}  // namespace

GoParameters parse_go(const char* line)
{
    GoParameters go{};
    // Words are separated by runs of blanks; the newline stays on the last word, so "infinite"
    // and "ponder" count only at the very end of a line that has one.
    const char* words[MAX_WORDS];
    int lengths[MAX_WORDS];
    int count = 0;
    for (const char* c = line; *c != '\0' && count < MAX_WORDS;) {
        while (*c == ' ')
            ++c;
        if (*c == '\0')
            break;
        const char* start = c;
        while (*c != '\0' && *c != ' ')
            ++c;
        words[count] = start;
        lengths[count] = int(c - start);
        ++count;
    }

    auto word_is = [&](int i, const char* keyword) {
        return lengths[i] == int(std::strlen(keyword)) && std::strncmp(words[i], keyword, lengths[i]) == 0;
    };
    struct ValueKeyword {
        const char* word;
        double GoParameters::*field;
    };
    // Tried in this order; the first equal keyword applies.
    static constexpr ValueKeyword VALUE_KEYWORDS[] = {
        {"binc", &GoParameters::binc},           {"btime", &GoParameters::btime},       {"depth", &GoParameters::depth},
        {"movestogo", &GoParameters::movestogo}, {"movetime", &GoParameters::movetime}, {"winc", &GoParameters::winc},
        {"wtime", &GoParameters::wtime},
    };

    for (int i = 1; i < count; ++i) {  // word 0 is the command word
        if (word_is(i, "infinite\n")) {
            go.infinite = true;
            continue;
        }
        if (word_is(i, "ponder\n")) {
            go.ponder = true;
            continue;
        }
        for (const ValueKeyword& keyword : VALUE_KEYWORDS) {
            if (word_is(i, keyword.word)) {
                // The value word is consumed; a keyword at the end of the line reads 0.
                go.*keyword.field = i + 1 < count ? double(parse_int(words[++i])) : 0.0;
                break;
            }
        }
    }
    return go;
}

void set_limits(const GoParameters& go)
{
    limits.depth_limited = 0;
    limits.max_depth = 0;
    limits.no_time_limit = 0;
    limits.time_budget = 0;

    if (go.depth > 0) {
        limits.depth_limited = 1;
        limits.max_depth = int32_t(go.depth);
    }

    const double time = position.turn == 0 ? go.wtime : go.btime;
    const double increment = position.turn == 0 ? go.winc : go.binc;
    double moves_to_go = go.movestogo;
    if (moves_to_go <= 0 || moves_to_go > DEFAULT_MOVES_TO_GO)
        moves_to_go = DEFAULT_MOVES_TO_GO;

    if (go.movetime > 0) {
        limits.time_budget = go.movetime - MOVETIME_RESERVE;
    } else if (time >= 0) {
        double usable = time * CLOCK_SHARE - CLOCK_RESERVE;
        if (usable < 0)
            usable = 0;
        double budget = ((moves_to_go - 1) * increment + usable) / moves_to_go;
        if (budget > usable)
            budget = usable;
        if (budget > LONG_BUDGET)
            budget -= LONG_BUDGET_RESERVE;
        limits.time_budget = budget;
    }

    if (go.infinite || go.ponder)
        limits.no_time_limit = 1;
}

void go_command(char* line)
{
    set_limits(parse_go(line));
    start_listening();
    run_search();
}

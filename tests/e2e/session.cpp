#include "e2e/session.h"

#include <algorithm>

Engine::Engine(Waits session_waits)
    : waits(session_waits)
{
    started = start_engine_process(process);
}

Engine::~Engine() { stop_engine_process(process); }

void Engine::send(const std::string& text) { send_text(process, text); }

std::string Engine::next(std::optional<int> timeout_ms)
{
    return wait_for_line(
        process, [](const std::string&) { return true; }, timeout_ms.value_or(waits.reply_ms));
}

std::vector<std::string> Engine::until_readyok(std::optional<int> timeout_ms)
{
    std::vector<std::string> out;
    for (;;) {
        std::string line = next(timeout_ms);
        if (line == "readyok")
            return out;
        out.push_back(line);
        if (line == TIMEOUT)
            return out;
    }
}

std::vector<std::string> Engine::reply(const std::string& text, const std::string& eol)
{
    send(text);
    send("isready" + eol);
    return until_readyok();
}

std::vector<std::string> Engine::until_bestmove(std::optional<int> timeout_ms)
{
    std::vector<std::string> out;
    for (;;) {
        std::string line = next(timeout_ms.value_or(waits.search_ms));
        out.push_back(line);
        if (line == TIMEOUT || starts_with(line, "bestmove "))
            return out;
    }
}

std::vector<std::string> Engine::search(const std::string& go_line, std::optional<int> timeout_ms)
{
    send(go_line);
    return until_bestmove(timeout_ms);
}

std::vector<std::string> Engine::board() { return reply("print\n"); }

int Engine::exit_status() { return wait_for_exit(process, waits.reply_ms); }

void Engine::expect_responsive_then_clean_exit()
{
    EXPECT_EQ(reply(""), std::vector<std::string>{});
    close_input(process);
    EXPECT_EQ(exit_status(), 0);
}

bool starts_with(const std::string& line, const std::string& prefix) { return line.rfind(prefix, 0) == 0; }

int count_prefix(const std::vector<std::string>& lines, const std::string& prefix)
{
    return int(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return starts_with(l, prefix); }));
}

bool is_move(const std::string& word)
{
    return (word.size() == 4 || (word.size() == 5 && std::string("qrbn").find(word[4]) != std::string::npos)) &&
           word[0] >= 'a' && word[0] <= 'h' && word[1] >= '1' && word[1] <= '8' && word[2] >= 'a' && word[2] <= 'h' &&
           word[3] >= '1' && word[3] <= '8';
}

bool is_bestmove_line(const std::string& line) { return starts_with(line, "bestmove ") && is_move(line.substr(9)); }

std::string bestmove_of(const std::vector<std::string>& lines)
{
    if (lines.empty() || !is_bestmove_line(lines.back()))
        return "";
    return lines.back().substr(9);
}

const std::vector<std::string> START_BOARD = {
    "8 r n b q k b n r ",
    "7 p p p p p p p p ",
    "6 . . . . . . . . ",
    "5 . . . . . . . . ",
    "4 . . . . . . . . ",
    "3 . . . . . . . . ",
    "2 P P P P P P P P ",
    "1 R N B Q K B N R ",
    "",
    "  a b c d e f g h ",
    "turn: W",
    "ply:0 * root_ply:0 * fifty:0",
    "hash numder: 7117605525042373436",
};

std::vector<std::string> ranks_of(const std::vector<std::string>& print)
{
    return std::vector<std::string>(print.begin(), print.begin() + long(std::min<size_t>(8, print.size())));
}

char square_in(const std::vector<std::string>& print, const std::string& square)
{
    const int file = square[0] - 'a', rank = square[1] - '1';
    if (print.size() < 8 || print[size_t(7 - rank)].size() < size_t(2 + 2 * file + 1))
        return '?';
    return print[size_t(7 - rank)][size_t(2 + 2 * file)];
}

void start_infinite_search(Engine& engine, int quiet_ms, const std::string& go_line)
{
    EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
    engine.send(go_line);
    EXPECT_EQ(count_prefix(collect_lines(engine.process, quiet_ms), "bestmove"), 0) << go_line << " ended by itself";
}

void expect_closing_input_ends_search_and_program(Engine& engine)
{
    const long long closed = now_ms();
    close_input(engine.process);
    const std::vector<std::string> out = engine.until_bestmove(engine.waits.reply_ms);
    EXPECT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
    EXPECT_EQ(engine.exit_status(), 0);
    EXPECT_LT(now_ms() - closed, PROMPT_MS);
}

std::vector<std::string> words_of(const std::string& line)
{
    std::vector<std::string> words(1);
    for (char c : line) {
        if (c == ' ')
            words.emplace_back();
        else
            words.back() += c;
    }
    return words;
}

bool is_number(const std::string& word, bool signed_allowed)
{
    size_t start = signed_allowed && !word.empty() && word[0] == '-' ? 1 : 0;
    return word.size() > start &&
           std::all_of(word.begin() + long(start), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool is_closing_line(const std::string& line)
{
    const std::vector<std::string> w = words_of(line);
    return w.size() == 8 && w[0] == "info" && w[1] == "time" && is_number(w[2]) && w[3] == "nodes" && is_number(w[4]) &&
           w[5] == "nps" && is_number(w[6]) && w[7].empty();
}

Closing closing_of(const std::vector<std::string>& out)
{
    for (const std::string& line : out) {
        if (is_closing_line(line)) {
            const std::vector<std::string> w = words_of(line);
            return Closing{std::stoll(w[2]), std::stoll(w[4])};
        }
    }
    return Closing{};
}

void expect_kept_to_budget(const std::vector<std::string>& out, double budget_ms)
{
    const Closing closing = closing_of(out);
    ASSERT_GE(closing.time_ms, 0) << testing::PrintToString(out);
    EXPECT_GE(double(closing.time_ms), budget_ms) << "the search ended before its budget";
    const double check_interval_ms = 65536.0 * double(closing.time_ms) / double(std::max(closing.nodes, 1LL));
    EXPECT_LE(double(closing.time_ms), budget_ms + 2 * check_interval_ms + 2000)
        << "the search overran its budget: " << testing::PrintToString(out);
}

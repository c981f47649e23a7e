// A session with the korvane binary for the end-to-end tests: one engine process per test,
// driven line by line as a chess interface drives it, and the checks on its output that more
// than one test file makes.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/engine_process.h"
#include "frontend/version.h"

// The engine's first line, and what a wait reads when no line came in time.
const char* const BANNER = ENGINE_BANNER;
const char* const TIMEOUT = "<timeout>";

// "Promptly": the limit for answers that need no real thinking. Several seconds, because a
// loaded machine running the sanitizer build can take a second or two over what is instant on
// an idle one; an engine that waits for input it should not wait for, or searches on when it
// should stop, takes longer than any such margin.
constexpr long long PROMPT_MS = 10000;

// How long a session waits before it reads "<timeout>": reply_ms for a line, a reply up to
// "readyok" and the program's exit; search_ms for the best move that ends a search. A build may
// give replies longer (KORVANE_REPLY_MS): the WebAssembly heap never gives memory back, so a
// large table taken again is zeroed by hand, seconds for 2048 MB on a loaded machine.
#ifndef KORVANE_REPLY_MS
#define KORVANE_REPLY_MS 10000
#endif
struct Waits {
    int reply_ms = KORVANE_REPLY_MS;
    int search_ms = 60000;
};

// One engine process for one test; it never outlives the test, whatever fails. A wait called
// without a timeout uses the session's.
struct Engine {
    EngineProcess process;
    Waits waits;
    bool started = false;

    explicit Engine(Waits session_waits = {});
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void send(const std::string& text);
    // The next line, whatever it is.
    std::string next(std::optional<int> timeout_ms = {});
    // Every line up to "readyok" (not included); ends with "<timeout>" when it never came.
    std::vector<std::string> until_readyok(std::optional<int> timeout_ms = {});
    // Sends the text, then "isready" ended by eol, and returns every line printed before
    // "readyok": the engine handles lines in order, so these are the text's whole reply.
    std::vector<std::string> reply(const std::string& text, const std::string& eol = "\n");
    // Every line up to and including "bestmove" (or "<timeout>").
    std::vector<std::string> until_bestmove(std::optional<int> timeout_ms = {});
    // Sends a "go" line and returns every line up to and including "bestmove".
    std::vector<std::string> search(const std::string& go_line, std::optional<int> timeout_ms = {});
    // The reply to "print".
    std::vector<std::string> board();
    // Waits for the program to end; its exit status, or -1 when it did not end in time.
    int exit_status();
    // The engine is still there and answers; then the end of its input ends it with status 0.
    void expect_responsive_then_clean_exit();
};

// Starts an engine session for the test, with the session's waits when given, and stops the
// test when the engine does not come up.
#define START_ENGINE(name, ...)                                                                                        \
    Engine name{__VA_ARGS__};                                                                                          \
    ASSERT_TRUE(name.started) << "no banner from " << KORVANE_BINARY

bool starts_with(const std::string& line, const std::string& prefix);
int count_prefix(const std::vector<std::string>& lines, const std::string& prefix);

// A move text: from-square, to-square and, for a promotion, the piece's letter.
bool is_move(const std::string& word);
// "bestmove M" with exactly one blank.
bool is_bestmove_line(const std::string& line);
// The move of a reply that ends in "bestmove M", or "" when it does not.
std::string bestmove_of(const std::vector<std::string>& lines);

// The start position as "print" shows it.
extern const std::vector<std::string> START_BOARD;
// The first eight lines of a board print: the ranks 8 down to 1.
std::vector<std::string> ranks_of(const std::vector<std::string>& print);
// The letter on a square in a board print ('.' for an empty square, '?' for no such line).
char square_in(const std::vector<std::string>& print, const std::string& square);

// Sets up the start position and sends go_line, a search that must not end by itself: no best
// move comes within quiet_ms.
void start_infinite_search(Engine& engine, int quiet_ms, const std::string& go_line = "go infinite\n");
// Closes the engine's input while it searches: the search still ends with a best move and the
// program exits with status 0, all promptly.
void expect_closing_input_ends_search_and_program(Engine& engine);

// The words of a line split at every single blank: two blanks in a row give an empty word, and
// a blank at the end gives an empty last word, so the exact spacing is checked too.
std::vector<std::string> words_of(const std::string& line);
bool is_number(const std::string& word, bool signed_allowed = false);
// "info time T nodes N nps S " with the blank at the end.
bool is_closing_line(const std::string& line);

// The engine's own account of a search, from its closing line: the milliseconds it took by
// its own clock, and the nodes it searched (time -1 without a closing line).
struct Closing {
    long long time_ms = -1;
    long long nodes = 0;
};
Closing closing_of(const std::vector<std::string>& out);

// A search from a position with many moves kept to its time budget, by the engine's own clock:
// nothing but the clock ends it, so it ran at least the budget; and it stopped within two of
// its periodic checks after the deadline (a check every 65536 nodes, timed at the speed the
// search itself reports), with two seconds more for a busy machine. The wall clock, which a
// loaded machine stretches anywhere between the engine and the test, plays no part.
void expect_kept_to_budget(const std::vector<std::string>& out, double budget_ms);

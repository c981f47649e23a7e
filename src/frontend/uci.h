// The engine's front end: start-up, the command loop and its handlers, the "go" limits and
// time budget, and the periodic check that listens for "stop" and "quit" during a search.
#pragma once
#include <cstdint>

// How a search is limited and stopped, and what it has counted.
struct SearchLimits {
    uint8_t stop;           // the running search must unwind at once
    uint8_t depth_limited;  // "go" gave a depth above 0
    uint8_t no_time_limit;  // the clock is not consulted ("infinite", "ponder" or a depth)
    int32_t max_depth;      // deepest iteration; 0 means none given
    double time_budget;     // milliseconds the search may use; may be fractional or negative
    uint32_t start_time;    // tick count when the search started
    uint32_t deadline;      // tick count after which the periodic check stops the search
    uint64_t nodes;         // legal moves made by the search
};
extern SearchLimits limits;

// When false the periodic check tests only the clock and never reads standard input: the
// bench and other tools search with no interface listening.
extern bool listen_during_search;

// The "go" line's parameters, before they become limits.
struct GoParameters {
    double wtime, btime, winc, binc, movestogo, movetime, depth;
    bool infinite, ponder;
};

// Start-up in its fixed order: piece tables, material values, the default table with its keys,
// the start position. start_engine leaves standard input and output alone (see init_console).
void start_engine();
// Reads and runs command lines until the input ends; returns there. "quit" ends the process.
void command_loop();
// Runs one command line (as read, newline included). Returns false for "quit".
bool execute_command(char* line);
// Releases what start_engine took.
void stop_engine();

void position_command(char* line);
void setoption_command(char* line);
void go_command(char* line);
void ucinewgame_command();

GoParameters parse_go(const char* line);
// Fills depth_limited, max_depth, no_time_limit and time_budget for the side to move.
void set_limits(const GoParameters& go);

// Called by the search when the low 16 bits of limits.nodes are zero. Returns true when the
// search must stop now (deadline passed, "stop" or "quit" read, or the input ended).
bool periodic_check();
// Forgets any unfinished piece of a line left over from the last search.
void start_listening();

// Decimal text to integer like the C library's conversion (leading white space, a sign,
// digits up to the first non-digit, 0 without digits), saturating at the 32-bit range.
int32_t parse_int(const char* text);

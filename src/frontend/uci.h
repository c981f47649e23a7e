// The engine's front end: start-up, the command loop and its handlers, and the "go" limits
// and time budget.
#pragma once
#include <cstdint>

// The "go" line's parameters, before they become limits.
struct GoParameters {
    double wtime, btime, winc, binc, movestogo, movetime, depth;
    bool infinite, ponder;
};

// Start-up in its fixed order: piece tables and keys, material values, the default table, the
// start position. start_engine leaves standard input and output alone (see init_console).
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
// Counts the start position's tree to the depth the line gives and reports each root move's
// count, the total, the time and the speed.
void perft_command(const char* line);
// The depth a "perft" line asks for: the first token between the letters of the command word
// and blanks, read as a decimal integer; -1 when it is outside 0..9.
int perft_depth(const char* line);

GoParameters parse_go(const char* line);
// Fills depth_limited, max_depth, no_time_limit and time_budget for the side to move.
void set_limits(const GoParameters& go);

// Decimal text to integer like the C library's conversion (leading white space, a sign,
// digits up to the first non-digit, 0 without digits), saturating at the 32-bit range.
int32_t parse_int(const char* text);

// What many tests share: the engine started once, the perft suite's positions, captured
// output, and a snapshot of the whole position record for exact comparisons.
#pragma once
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "position/position.h"
#include "tool_support.h"

// The square a name such as "e4" stands for.
inline Square sq(const char* name) { return square_of(name[0] - 'a', name[1] - '1'); }

// The perft suite's positions with their known counts.
using SuitePosition = SuiteCase;
const std::vector<SuitePosition>& perft_suite();

// Runs body with standard output captured; returns what it printed.
std::string captured_output(const std::function<void()>& body);

// The fields make and unmake touch, compared as a whole.
struct PositionSnapshot {
    Piece board[64];
    Square white_king, black_king, ep_square;
    uint8_t turn, castling;
    int32_t fifty, ply;
    uint64_t occupied;
    uint64_t pieces[PIECE_CODES];
    bool operator==(const PositionSnapshot&) const = default;
};
PositionSnapshot snapshot();

// Plays random legal moves from the current position (at most max_plies, fewer when the game
// ends) with play_game_move; returns how many were played.
int play_random_moves(std::mt19937& random, int max_plies);

// Move generation: the pseudo-legal generator, the capture generator of the quiescence
// search, the legal move list and perft.
#pragma once
#include "movegen/tables.h"
#include "position/position.h"

// Room in a quiescence capture list; like a full list it is filled piece by piece and stops
// adding pieces once fewer than CAPTURES_PER_PIECE_LIMIT places remain.
constexpr int MAX_CAPTURES = 160;
constexpr int CAPTURES_PER_PIECE_LIMIT = 8;  // a pawn's two capture promotions, or 8 steps

struct CaptureList {
    Move moves[MAX_CAPTURES];
    int32_t count;
};

// Every pseudo-legal move of the side to move, squares a1 to h8, each piece's targets in table
// order. The mover's king may be left in check: callers test move_was_legal after making.
void generate_moves(MoveList& list);
// Only the moves that take a piece (en passant and capture promotions included).
void generate_captures(CaptureList& list);

// The legal moves, in generation order; list must hold MAX_MOVES moves.
void generate_legal_moves(Move* moves, int32_t& count);

// Leaf count of the legal move tree to the given depth; every leaf is made, tested and taken
// back, with no hashing and no shortcut.
uint64_t perft(int depth);

// The published leaf counts of the start position, by depth.
extern const uint64_t PERFT_EXPECTED[10];

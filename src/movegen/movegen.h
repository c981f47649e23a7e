// Move generation: the pseudo-legal generator, the capture generator of the quiescence
// search, the legal move list and perft.
#pragma once
#include "position/position.h"
#include "position/squares.h"

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
// Neither generator can run out of room in this position, so neither drops a piece's moves
// (counted from each piece's most moves; true in every position a game reaches).
bool lists_have_room();
// Only the moves that take a piece (en passant and capture promotions included).
void generate_captures(CaptureList& list);

// The legal moves, in generation order; list must hold MAX_MOVES moves.
void generate_legal_moves(Move* moves, int32_t& count);

// Leaf count of the legal move tree to the given depth; every leaf is made, tested and taken
// back, with no hashing and no shortcut.
uint64_t perft(int depth);

// The divide of perft: counts the tree below each legal move of the position to depth - 1 (depth
// at least 1), printing each move as it is counted with printf(line_format, move text, count)
// (a char* and a uint64_t); returns the total.
uint64_t perft_divide(int depth, const char* line_format);

// The published leaf counts of the start position, by depth.
extern const uint64_t PERFT_EXPECTED[10];

// Coordinate move text: e2e4, e1g1 for castling, e7e8q for a promotion (always lower case).
void move_to_text(Move move, char text[6]);
// The move of the side to move that the text names, or 0 when none does.
Move text_to_move(const char* text);

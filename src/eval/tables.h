// The evaluation's tables and weights: the king piece-square tables written as the board is
// seen from White's side, and the hand-tuned weights of the positional terms, in centipawns.
// Shared by the evaluation and by the tests' reference evaluation. The pawn, knight, bishop and
// queen tables are in eval/piece_square_values.h, the one part that position/ reads (make keeps
// their running sum): a change of a weight here rebuilds the evaluation alone.
#pragma once
#include <cstdint>

#include "eval/piece_square_values.h"

namespace eval_tables {

// clang-format off
constexpr Table WHITE_KING_MIDDLEGAME_TABLE = mirrored({
   -70, -70, -70, -70, -70, -70, -70, -70,
   -60, -60, -60, -60, -60, -60, -60, -60,
   -50, -50, -50, -50, -50, -50, -50, -50,
   -40, -40, -40, -40, -40, -40, -40, -40,
   -30, -30, -30, -30, -30, -30, -30, -30,
   -15, -20, -20, -20, -20, -20, -20, -15,
    -6,  -9, -15, -18, -18, -15,  -9,  -6,
    10,  10,  -5, -15, -15,  -5,  10,  10,
});
// Both colours: the centre is worth the same to either king once the queens are gone.
constexpr Table KING_ENDGAME_TABLE = mirrored({
    -9,   0,   0,   0,   0,   0,   0,  -9,
     0,  10,  10,  10,  10,  10,  10,   0,
     0,  10,  20,  20,  20,  20,  10,   0,
     0,  10,  20,  27,  27,  20,  10,   0,
     0,  10,  20,  27,  27,  20,  10,   0,
     0,  10,  20,  20,  20,  20,  10,   0,
     0,  10,  10,  10,  10,  10,  10,   0,
    -9,   0,   0,   0,   0,   0,   0,  -9,
});
constexpr Table BLACK_KING_MIDDLEGAME_TABLE = mirrored(WHITE_KING_MIDDLEGAME_TABLE);
// clang-format on

// Hand-tuned weights of the positional terms, in centipawns.
constexpr int32_t FIANCHETTO_BISHOP = 15;  // bishop on g2/g7 before its castled king
constexpr int32_t BISHOP_PAIR = 20;        // each bishop after the first
constexpr int32_t BLOCKED_BISHOP = 30;     // back-rank bishop behind two own pawns
constexpr int32_t ISOLATED_PAWN_MIDDLEGAME = 8;
constexpr int32_t ISOLATED_PAWN_ENDGAME = 20;
constexpr int32_t BACKWARD_PAWN = 10;
constexpr int32_t BACKWARD_PAWN_OPEN_FILE = 15;  // no enemy pawn on its file to hide behind
constexpr int32_t DOUBLED_PAWN = 4;              // per extra pawn on the file, for each pawn
constexpr int32_t PASSED_PAWN_MIDDLEGAME = 12;   // per rank advanced
constexpr int32_t PASSED_PAWN_ENDGAME = 20;      // per rank advanced
constexpr int32_t PASSED_PAWN_BLOCKED = 25;
constexpr int32_t PASSED_PAWN_SUPPORTED = 25;  // a neighbouring file has a pawn
constexpr int32_t PASSED_PAWN_PROTECTED = 30;  // a neighbour stands one rank behind
constexpr int32_t QUEEN_ON_SEVENTH = 50;
constexpr int32_t ROOK_BEFORE_CASTLED_KING = 45;
constexpr int32_t ROOK_ON_SEVENTH_MIDDLEGAME = 20;
constexpr int32_t ROOK_ON_SEVENTH_ENDGAME = 10;
constexpr int32_t ROOK_ON_SEVENTH_KING_CUT = 50;
constexpr int32_t ROOK_OPEN_FILE = 25;
constexpr int32_t ROOK_HALF_OPEN_FILE = 20;
constexpr int32_t KNIGHT_OUTPOST = 20;
constexpr int32_t KNIGHT_OUTPOST_CENTRE = 12;  // on the c- or d-file
constexpr int32_t KING_FILE_WITHOUT_OWN_PAWN = 40;
constexpr int32_t KING_FILE_WITHOUT_ENEMY_PAWN = 40;
constexpr int32_t SHIELD_OWN_FILE_STEP = 4;  // per rank between the king and its shield pawn
constexpr int32_t SHIELD_SIDE_FILE_STEP = 3;
constexpr int32_t SHIELD_MISSING = 12;
constexpr int32_t PHASE_THRESHOLD_BOTH_QUEENS = 1900;
constexpr int32_t PHASE_THRESHOLD = 2160;

}  // namespace eval_tables

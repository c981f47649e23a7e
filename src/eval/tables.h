// The evaluation's tables and weights: piece-square tables written as the board is seen from
// White's side, and the hand-tuned weights of the positional terms, in centipawns. Shared by the
// evaluation and by the tests' reference evaluation; position/ reads only the knight, bishop and
// queen tables, through eval/piece_square_values.h.
#pragma once
#include <array>
#include <cstdint>

namespace eval_tables {

using Table = std::array<int32_t, 64>;

// Tables are written as the board is seen from White's side, rank 8 first, and turned into
// square order (a1 = 0) at compile time.
constexpr Table from_diagram(const Table& diagram)
{
    Table t{};
    for (int sq = 0; sq < 64; ++sq)
        t[sq] = diagram[sq ^ 56];
    return t;
}
// Black's value on a square is White's value on the square mirrored across the middle rank.
constexpr Table mirrored(const Table& white)
{
    Table t{};
    for (int sq = 0; sq < 64; ++sq)
        t[sq] = white[sq ^ 56];
    return t;
}

// clang-format off
constexpr Table WHITE_PAWN_TABLE = from_diagram({
     0,   0,   0,   0,   0,   0,   0,   0,
    12,  15,  20,  25,  25,  20,  15,  12,
     7,   9,  15,  21,  21,  15,   9,   7,
     5,   6,  10,  18,  18,  10,   6,   5,
     4,   4,   8,  15,  15,   8,   4,   4,
     2,   2,   3,   4,   4,   3,   2,   2,
     0,   0,   0, -15, -15,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
});
constexpr Table WHITE_KNIGHT_TABLE = from_diagram({
   -18,  -8,  -5,  -4,  -4,  -5,  -8, -18,
    -5,   1,   3,   4,   4,   3,   1,  -5,
    -3,   4,   8,   8,   8,   8,   4,  -3,
    -6,   4,   9,  15,  15,   9,   4,  -6,
    -7,   4,   9,  15,  15,   9,   4,  -7,
    -8,   4,   8,  10,  10,   8,   4,  -8,
   -11,   1,   2,   5,   5,   2,   1, -11,
   -18, -11,  -8,  -8,  -8,  -8, -11, -18,
});
// Not White's table mirrored: d2, e2, d3 and e3 differ.
constexpr Table BLACK_KNIGHT_TABLE = from_diagram({
   -18, -11,  -8,  -8,  -8,  -8, -11, -18,
   -11,   1,   2,   5,   5,   2,   1, -11,
    -8,   4,   8,  10,  10,   8,   4,  -8,
    -7,   4,   9,  15,  15,   9,   4,  -7,
    -6,   4,   9,  15,  15,   9,   4,  -6,
    -3,   4,   8,   9,   9,   8,   4,  -3,
    -5,   1,   3,   5,   5,   3,   1,  -5,
   -18,  -8,  -5,  -4,  -4,  -5,  -8, -18,
});
constexpr Table WHITE_BISHOP_TABLE = from_diagram({
    -8, -12, -15, -12, -12, -15, -12,  -8,
     0,   5,   1,   4,   4,   1,   5,   0,
     0,   2,   5,   6,   6,   5,   2,   0,
     0,   4,   5,   9,   9,   5,   4,   0,
     0,   5,   8,   9,   9,   8,   5,   0,
    -3,   6,   6,   8,   8,   6,   6,  -3,
    -4,   5,   6,   8,   8,   6,   5,  -4,
    -9,  -5,  -5,  -5,  -5,  -5,  -5,  -9,
});
// Not White's table mirrored: d3, e3, d5 and e5 differ.
constexpr Table BLACK_BISHOP_TABLE = from_diagram({
    -9,  -5,  -5,  -5,  -5,  -5,  -5,  -9,
    -4,   5,   6,   8,   8,   6,   5,  -4,
    -3,   6,   6,   8,   8,   6,   6,  -3,
     0,   5,   8,   8,   8,   8,   5,   0,
     0,   4,   5,   9,   9,   5,   4,   0,
     0,   2,   5,   9,   9,   5,   2,   0,
     0,   5,   1,   4,   4,   1,   5,   0,
    -8, -12, -15, -12, -12, -15, -12,  -8,
});
constexpr Table WHITE_QUEEN_TABLE = from_diagram({
    -9,   0,   0,   0,   0,   0,   0,  -9,
     0,   1,   2,   3,   3,   2,   1,   0,
     0,   2,   3,   4,   4,   3,   2,   0,
     0,   3,   4,   5,   5,   4,   3,   0,
     0,   4,   5,   6,   6,   5,   4,   0,
     0,   5,   6,   7,   7,   6,   5,   0,
     0,   6,   7,   8,   8,   7,   6,   0,
    -9,   0,   0,   0,   0,   0,   0,  -9,
});
constexpr Table WHITE_KING_MIDDLEGAME_TABLE = from_diagram({
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
constexpr Table KING_ENDGAME_TABLE = from_diagram({
    -9,   0,   0,   0,   0,   0,   0,  -9,
     0,  10,  10,  10,  10,  10,  10,   0,
     0,  10,  20,  20,  20,  20,  10,   0,
     0,  10,  20,  27,  27,  20,  10,   0,
     0,  10,  20,  27,  27,  20,  10,   0,
     0,  10,  20,  20,  20,  20,  10,   0,
     0,  10,  10,  10,  10,  10,  10,   0,
    -9,   0,   0,   0,   0,   0,   0,  -9,
});
constexpr Table BLACK_PAWN_TABLE = mirrored(WHITE_PAWN_TABLE);
constexpr Table BLACK_QUEEN_TABLE = mirrored(WHITE_QUEEN_TABLE);
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

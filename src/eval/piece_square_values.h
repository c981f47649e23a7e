// The evaluation's pawn, knight, bishop and queen piece-square tables, and the same as one table
// by piece code, which make and unmake keep a running sum of (position.piece_square_sum).
// Constant data only: this is the one header of eval/ that position/ includes, so that the
// position keeps the sum without linking the evaluation, and sees none of its other weights.
#pragma once
#include <array>
#include <cstdint>

#include "position/encoding.h"

namespace eval_tables {

using Table = std::array<int32_t, 64>;

// The table with its ranks in reverse order. Tables are written as the board is seen from
// White's side, rank 8 first, and turned into square order (a1 = 0) by it at compile time; and
// Black's value on a square is White's value on the square mirrored across the middle rank.
constexpr Table mirrored(const Table& table)
{
    Table t{};
    for (int sq = 0; sq < 64; ++sq)
        t[sq] = table[sq ^ 56];
    return t;
}

// clang-format off
constexpr Table WHITE_PAWN_TABLE = mirrored({
     0,   0,   0,   0,   0,   0,   0,   0,
    12,  15,  20,  25,  25,  20,  15,  12,
     7,   9,  15,  21,  21,  15,   9,   7,
     5,   6,  10,  18,  18,  10,   6,   5,
     4,   4,   8,  15,  15,   8,   4,   4,
     2,   2,   3,   4,   4,   3,   2,   2,
     0,   0,   0, -15, -15,   0,   0,   0,
     0,   0,   0,   0,   0,   0,   0,   0,
});
constexpr Table BLACK_PAWN_TABLE = mirrored(WHITE_PAWN_TABLE);

constexpr Table WHITE_KNIGHT_TABLE = mirrored({
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
constexpr Table BLACK_KNIGHT_TABLE = mirrored({
   -18, -11,  -8,  -8,  -8,  -8, -11, -18,
   -11,   1,   2,   5,   5,   2,   1, -11,
    -8,   4,   8,  10,  10,   8,   4,  -8,
    -7,   4,   9,  15,  15,   9,   4,  -7,
    -6,   4,   9,  15,  15,   9,   4,  -6,
    -3,   4,   8,   9,   9,   8,   4,  -3,
    -5,   1,   3,   5,   5,   3,   1,  -5,
   -18,  -8,  -5,  -4,  -4,  -5,  -8, -18,
});

constexpr Table WHITE_BISHOP_TABLE = mirrored({
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
constexpr Table BLACK_BISHOP_TABLE = mirrored({
    -9,  -5,  -5,  -5,  -5,  -5,  -5,  -9,
    -4,   5,   6,   8,   8,   6,   5,  -4,
    -3,   6,   6,   8,   8,   6,   6,  -3,
     0,   5,   8,   8,   8,   8,   5,   0,
     0,   4,   5,   9,   9,   5,   4,   0,
     0,   2,   5,   9,   9,   5,   2,   0,
     0,   5,   1,   4,   4,   1,   5,   0,
    -8, -12, -15, -12, -12, -15, -12,  -8,
});

constexpr Table WHITE_QUEEN_TABLE = mirrored({
    -9,   0,   0,   0,   0,   0,   0,  -9,
     0,   1,   2,   3,   3,   2,   1,   0,
     0,   2,   3,   4,   4,   3,   2,   0,
     0,   3,   4,   5,   5,   4,   3,   0,
     0,   4,   5,   6,   6,   5,   4,   0,
     0,   5,   6,   7,   7,   6,   5,   0,
     0,   6,   7,   8,   8,   7,   6,   0,
    -9,   0,   0,   0,   0,   0,   0,  -9,
});
constexpr Table BLACK_QUEEN_TABLE = mirrored(WHITE_QUEEN_TABLE);
// clang-format on

}  // namespace eval_tables

// [piece code][square]: what a piece adds to the sum, negative for Black; zero for the pieces
// whose tables the evaluation reads elsewhere.
using PieceSquareValues = std::array<std::array<int32_t, 64>, PIECE_CODES>;

namespace eval_tables {

constexpr PieceSquareValues piece_square_values_of()
{
    PieceSquareValues t{};
    const struct {
        Piece piece;
        const Table& table;
        int32_t sign;
    } rows[] = {{WHITE_PAWN, WHITE_PAWN_TABLE, 1},      {WHITE_KNIGHT, WHITE_KNIGHT_TABLE, 1},
                {WHITE_BISHOP, WHITE_BISHOP_TABLE, 1},  {WHITE_QUEEN, WHITE_QUEEN_TABLE, 1},
                {BLACK_PAWN, BLACK_PAWN_TABLE, -1},     {BLACK_KNIGHT, BLACK_KNIGHT_TABLE, -1},
                {BLACK_BISHOP, BLACK_BISHOP_TABLE, -1}, {BLACK_QUEEN, BLACK_QUEEN_TABLE, -1}};
    for (const auto& row : rows)
        for (int sq = 0; sq < 64; ++sq)
            t[row.piece][sq] = row.sign * row.table[sq];
    return t;
}

}  // namespace eval_tables

alignas(64) inline constexpr PieceSquareValues piece_square_values = eval_tables::piece_square_values_of();

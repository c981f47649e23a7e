// The evaluation's knight, bishop and queen tables as one table by piece code, which make and
// unmake keep a running sum of (position.piece_square_sum). Constant data only: this is the one
// header of eval/ that position/ includes, so that the position keeps the sum without linking
// the evaluation.
#pragma once
#include <array>
#include <cstdint>

#include "eval/tables.h"
#include "position/encoding.h"

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
    } rows[] = {{WHITE_KNIGHT, WHITE_KNIGHT_TABLE, 1},  {WHITE_BISHOP, WHITE_BISHOP_TABLE, 1},
                {WHITE_QUEEN, WHITE_QUEEN_TABLE, 1},    {BLACK_KNIGHT, BLACK_KNIGHT_TABLE, -1},
                {BLACK_BISHOP, BLACK_BISHOP_TABLE, -1}, {BLACK_QUEEN, BLACK_QUEEN_TABLE, -1}};
    for (const auto& row : rows)
        for (int sq = 0; sq < 64; ++sq)
            t[row.piece][sq] = row.sign * row.table[sq];
    return t;
}

}  // namespace eval_tables

alignas(64) inline constexpr PieceSquareValues piece_square_values = eval_tables::piece_square_values_of();

// The evaluation's pawn, knight, bishop and queen piece-square tables, and the running sums that
// make and unmake keep for the evaluation (position.eval_sums): the material, the piece count
// and the sum of those tables, with each piece's share of them by piece code.
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

// The rooks' row of the sums: they have no table.
constexpr Table NO_TABLE{};

}  // namespace eval_tables

// What make keeps in step for the evaluation, in one word: a move changes it by adding the
// shares of the pieces it places and taking away those of the pieces it removes.
//   bits  0-15  White's material: its pawns, knights, bishops, rooks and queens at PAWN_VALUE ...
//               QUEEN_VALUE, the evaluation's material values
//   bits 16-31  Black's material
//   bits 32-39  the knights, bishops, rooks and queens of both sides (the null move's count)
//   bits 40-63  the pawn, knight, bishop and queen table values, White's minus Black's, signed
// Each field below the last holds a sum that is never negative and never outgrows its bits (64
// queens are worth 62720), so the word's additions, carries and borrows included, always leave
// every field its exact value, and the last field its exact signed value.
using EvalSums = uint64_t;

constexpr int32_t white_material_of(EvalSums sums) { return int32_t(sums & 0xFFFF); }
constexpr int32_t black_material_of(EvalSums sums) { return int32_t((sums >> 16) & 0xFFFF); }
constexpr int32_t piece_count_of(EvalSums sums) { return int32_t((sums >> 32) & 0xFF); }
constexpr int32_t piece_square_sum_of(EvalSums sums) { return int32_t(int64_t(sums) >> 40); }

// [piece code][square]: a piece's share of the sums; zero for the empty square and the kings.
using EvalSumShares = std::array<std::array<EvalSums, 64>, PIECE_CODES>;

namespace eval_tables {

constexpr EvalSumShares eval_sum_shares_of()
{
    EvalSumShares t{};
    const struct {
        Piece kind;
        const Table& white_table;
        const Table& black_table;
        int32_t value;
    } rows[] = {{PAWN, WHITE_PAWN_TABLE, BLACK_PAWN_TABLE, PAWN_VALUE},
                {KNIGHT, WHITE_KNIGHT_TABLE, BLACK_KNIGHT_TABLE, KNIGHT_VALUE},
                {BISHOP, WHITE_BISHOP_TABLE, BLACK_BISHOP_TABLE, BISHOP_VALUE},
                {ROOK, NO_TABLE, NO_TABLE, ROOK_VALUE},
                {QUEEN, WHITE_QUEEN_TABLE, BLACK_QUEEN_TABLE, QUEEN_VALUE}};
    for (const auto& row : rows) {
        const EvalSums counted = row.kind == PAWN ? 0 : EvalSums(1) << 32;
        for (int sq = 0; sq < 64; ++sq) {
            t[WHITE | row.kind][sq] = EvalSums(row.value) + counted + (EvalSums(int64_t(row.white_table[sq])) << 40);
            t[BLACK | row.kind][sq] =
                (EvalSums(row.value) << 16) + counted + (EvalSums(-int64_t(row.black_table[sq])) << 40);
        }
    }
    return t;
}

}  // namespace eval_tables

alignas(64) inline constexpr EvalSumShares eval_sum_shares = eval_tables::eval_sum_shares_of();

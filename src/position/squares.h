// Square geometry: the step and ray lists that drive every piece but the pawn, in the fixed
// order the generators emit moves in, and bit-set masks derived from them for the attack test.
// Constant data only. It sits with the position, below the generators: the attack test here
// (position/attacks.h) and the generators above both read it.
#pragma once
#include <array>
#include <cstdint>

using RaySquare = int32_t;
constexpr RaySquare NO_SQUARE = 128;

struct RayTable {
    RaySquare knight_steps[64][8];    // [square][entry]
    RaySquare king_steps[64][8];      // [square][entry]
    RaySquare bishop_rays[64][4][7];  // [square][slot][entry]: NW, NE, SW, SE, packed
    RaySquare rook_rays[64][4][7];    // [square][slot][entry]: E, W, N, S, packed
};

namespace tables_detail {

// The knight lists follow no single offset order, so they are data: targets of each square,
// rank 1 first, files a to h.
// clang-format off
constexpr const char* KNIGHT_TARGETS[64] = {
    "c2 b3", "d2 c3 a3", "a2 e2 b3 d3", "b2 f2 c3 e3", "c2 g2 d3 f3", "d2 h2 e3 g3", "e2 f3 h3", "f2 g3",
    "c1 c3 b4", "d1 d3 c4 a4", "a1 e1 a3 e3 b4 d4", "b1 f1 b3 c4 e4 f3", "c1 g1 c3 d4 f4 g3", "d1 h1 d3 e4 g4 h3", "e1 e3 f4 h4", "f1 f3 g4",
    "b1 c2 c4 b5", "a1 c1 d2 d4 a5 c5", "b1 d1 a2 e2 a4 b5 d5 e4", "c1 e1 b2 f2 b4 c5 e5 f4", "d1 f1 c2 g2 c4 d5 f5 g4", "e1 g1 d2 h2 d4 e5 g5 h4", "f1 h1 e2 e4 f5 h5", "g1 f2 f4 g5",
    "b2 c3 c5 b6", "a2 c2 d3 d5 a6 c6", "b2 d2 a3 e3 a5 b6 d6 e5", "c2 e2 b3 f3 b5 f5 c6 e6", "d2 f2 c3 g3 c5 d6 f6 g5", "e2 g2 d3 h3 d5 e6 g6 h5", "f2 h2 e3 e5 f6 h6", "g2 f3 f5 g6",
    "b3 c4 c6 b7", "a3 c3 d4 d6 a7 c7", "b3 d3 a4 e4 a6 b7 d7 e6", "c3 e3 b4 f4 b6 c7 e7 f6", "d3 f3 c4 g4 c6 d7 f7 g6", "e3 g3 d4 h4 d6 e7 g7 h6", "f3 h3 e4 e6 f7 h7", "g3 f4 f6 g7",
    "b4 c5 c7 b8", "a4 c4 d5 d7 a8 c8", "b4 d4 a5 e5 a7 b8 d8 e7", "c4 e4 b5 f5 b7 c8 e8 f7", "d4 f4 c5 g5 c7 d8 f8 g7", "e4 g4 d5 h5 d7 e8 g8 h7", "f4 h4 e5 e7 f8 h8", "g4 f5 f7 g8",
    "b5 c6 c8", "a5 c5 d6 d8", "b5 d5 a6 a8 e8 e6", "c5 e5 b6 b8 f8 f6", "d5 f5 c6 c8 g8 g6", "e5 g5 d6 d8 h8 h6", "f5 h5 e6 e8", "g5 f6 f8",
    "c7 b6", "a6 c6 d7", "b6 d6 a7 e7", "c6 e6 b7 f7", "d6 f6 c7 g7", "e6 g6 d7 h7", "f6 h6 e7", "f7 g6",
};
// clang-format on

struct Direction {
    int file_step, rank_step;
};
constexpr Direction NORTH_WEST{-1, 1}, NORTH_EAST{1, 1}, SOUTH_WEST{-1, -1}, SOUTH_EAST{1, -1};
constexpr Direction EAST{1, 0}, WEST{-1, 0}, NORTH{0, 1}, SOUTH{0, -1};

constexpr bool on_board(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }

// Fills one row of four slots with the rays in the given direction order, packing away the
// directions that leave the board at once.
constexpr void fill_rays(RaySquare (&row)[4][7], int square, const std::array<Direction, 4>& order)
{
    for (auto& slot : row)
        for (auto& entry : slot)
            entry = NO_SQUARE;
    int slot = 0;
    for (Direction d : order) {
        int file = (square & 7) + d.file_step, rank = (square >> 3) + d.rank_step, n = 0;
        while (on_board(file, rank)) {
            row[slot][n++] = rank * 8 + file;
            file += d.file_step;
            rank += d.rank_step;
        }
        if (n > 0)
            ++slot;
    }
}

constexpr RayTable build_ray_table()
{
    RayTable t{};
    for (int sq = 0; sq < 64; ++sq) {
        for (int i = 0; i < 8; ++i)
            t.knight_steps[sq][i] = t.king_steps[sq][i] = NO_SQUARE;

        const char* text = KNIGHT_TARGETS[sq];
        for (int n = 0; *text; ++n) {
            t.knight_steps[sq][n] = (text[0] - 'a') + 8 * (text[1] - '1');
            text += text[2] ? 3 : 2;
        }

        // King: neighbours in ascending square order; the one exception is h8 (h7 before g7).
        constexpr int KING_OFFSETS[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
        int n = 0;
        for (const auto& offset : KING_OFFSETS) {
            int file = (sq & 7) + offset[0], rank = (sq >> 3) + offset[1];
            if (on_board(file, rank))
                t.king_steps[sq][n++] = rank * 8 + file;
        }
        if (sq == 63) {
            t.king_steps[sq][0] = 55;
            t.king_steps[sq][1] = 54;
        }

        fill_rays(t.bishop_rays[sq], sq, {NORTH_WEST, NORTH_EAST, SOUTH_WEST, SOUTH_EAST});
        // Rooks on b1-g1 and b7-g7 list north before west.
        bool north_second = (sq >= 1 && sq <= 6) || (sq >= 49 && sq <= 54);
        if (north_second)
            fill_rays(t.rook_rays[sq], sq, {EAST, NORTH, WEST, SOUTH});
        else
            fill_rays(t.rook_rays[sq], sq, {EAST, WEST, NORTH, SOUTH});
    }
    return t;
}

}  // namespace tables_detail

inline constexpr RayTable RAY_TABLE = tables_detail::build_ray_table();
inline constexpr const auto& KnightSteps = RAY_TABLE.knight_steps;
inline constexpr const auto& KingSteps = RAY_TABLE.king_steps;
inline constexpr const auto& BishopRays = RAY_TABLE.bishop_rays;
inline constexpr const auto& RookRays = RAY_TABLE.rook_rays;

// Bit-set views of the same geometry, for attack tests that look at one king square.
struct AttackMasks {
    uint64_t knight[64];                 // squares a knight on s reaches
    uint64_t king[64];                   // squares a king on s reaches
    uint64_t rook_lines[64];             // every square on the rank and file rays of s
    uint64_t bishop_lines[64];           // every square on the diagonal rays of s
    uint64_t between[64][64];            // [a][b] squares strictly between a and b on a shared line
    uint64_t black_pawns_attacking[64];  // where a black pawn checks a white king on s
    uint64_t white_pawns_attacking[64];  // where a white pawn checks a black king on s
};

namespace tables_detail {

constexpr uint64_t list_bits(const RaySquare* list, int length)
{
    uint64_t bits = 0;
    for (int i = 0; i < length && list[i] != NO_SQUARE; ++i)
        bits |= uint64_t(1) << list[i];
    return bits;
}

constexpr AttackMasks build_attack_masks()
{
    AttackMasks m{};
    for (int sq = 0; sq < 64; ++sq) {
        m.knight[sq] = list_bits(KnightSteps[sq], 8);
        m.king[sq] = list_bits(KingSteps[sq], 8);
        for (int slot = 0; slot < 4; ++slot) {
            m.rook_lines[sq] |= list_bits(RookRays[sq][slot], 7);
            m.bishop_lines[sq] |= list_bits(BishopRays[sq][slot], 7);
            for (const auto* ray : {RookRays[sq][slot], BishopRays[sq][slot]}) {
                uint64_t passed = 0;
                for (int i = 0; i < 7 && ray[i] != NO_SQUARE; ++i) {
                    m.between[sq][ray[i]] = passed;
                    passed |= uint64_t(1) << ray[i];
                }
            }
        }
        // Pawn checks are looked for only where a pawn of that colour can stand below rank 8
        // (white king below rank 7) or above rank 1 (black king above rank 2).
        int file = sq & 7;
        if (sq < 48) {
            if (file != 0)
                m.black_pawns_attacking[sq] |= uint64_t(1) << (sq + 7);
            if (file != 7)
                m.black_pawns_attacking[sq] |= uint64_t(1) << (sq + 9);
        }
        if (sq > 15) {
            if (file != 7)
                m.white_pawns_attacking[sq] |= uint64_t(1) << (sq - 7);
            if (file != 0)
                m.white_pawns_attacking[sq] |= uint64_t(1) << (sq - 9);
        }
    }
    return m;
}

}  // namespace tables_detail

inline constexpr AttackMasks ATTACK_MASKS = tables_detail::build_attack_masks();

// The static evaluation. Every call works from the board alone: one pass over the occupied
// squares by piece kind, then the per-file pawn summaries drive the structure and king terms.
// All terms are hand-tuned; scores are summed from White's view and turned at the end.
#include "eval/eval.h"

#include <array>

#include "position/position.h"

int32_t pawn_material, knight_material, bishop_material, rook_material, queen_material;

void init_material()
{
    pawn_material = 100;
    knight_material = 325;
    bishop_material = 325;
    rook_material = 520;
    queen_material = 980;
}

namespace {

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

constexpr Square G1_SQUARE = 6, G2_SQUARE = 14, G7_SQUARE = 54, G8_SQUARE = 62;

inline int popcount(uint64_t bits) { return __builtin_popcountll(bits); }

template <typename Body>
inline void for_each_square(uint64_t bits, Body body)
{
    for (; bits; bits &= bits - 1)
        body(Square(__builtin_ctzll(bits)));
}

inline int32_t table_sum(uint64_t bits, const Table& table)
{
    int32_t sum = 0;
    for_each_square(bits, [&](Square sq) { sum += table[sq]; });
    return sum;
}

inline int square_colour(Square sq) { return (file_of(sq) + rank_of(sq)) & 1; }

}  // namespace

int32_t evaluate()
{
    const Position& p = position;
    const Piece* board = p.board;
    const uint64_t* pieces = p.pieces;
    const uint64_t white_pawns = pieces[WHITE_PAWN], black_pawns = pieces[BLACK_PAWN];
    const uint64_t white_knights = pieces[WHITE_KNIGHT], black_knights = pieces[BLACK_KNIGHT];
    const uint64_t white_bishops = pieces[WHITE_BISHOP], black_bishops = pieces[BLACK_BISHOP];
    const uint64_t white_rooks = pieces[WHITE_ROOK], black_rooks = pieces[BLACK_ROOK];
    const uint64_t white_queens = pieces[WHITE_QUEEN], black_queens = pieces[BLACK_QUEEN];

    const int wn = popcount(white_knights), bn = popcount(black_knights);
    const int wb = popcount(white_bishops), bb = popcount(black_bishops);
    const int wr = popcount(white_rooks), br = popcount(black_rooks);
    const int wq = popcount(white_queens), bq = popcount(black_queens);

    int32_t mw = popcount(white_pawns) * pawn_material + wn * knight_material + wb * bishop_material +
                 wr * rook_material + wq * queen_material;
    int32_t mb = popcount(black_pawns) * pawn_material + bn * knight_material + bb * bishop_material +
                 br * rook_material + bq * queen_material;

    // Step 2: piece-square tables and the bishop rules.
    int32_t ps = table_sum(white_pawns, WHITE_PAWN_TABLE) - table_sum(black_pawns, BLACK_PAWN_TABLE) +
                 table_sum(white_knights, WHITE_KNIGHT_TABLE) - table_sum(black_knights, BLACK_KNIGHT_TABLE) +
                 table_sum(white_bishops, WHITE_BISHOP_TABLE) - table_sum(black_bishops, BLACK_BISHOP_TABLE) +
                 table_sum(white_queens, WHITE_QUEEN_TABLE) - table_sum(black_queens, BLACK_QUEEN_TABLE);

    if ((white_bishops & bit_of(G2_SQUARE)) && board[G1_SQUARE] == WHITE_KING)
        ps += FIANCHETTO_BISHOP;
    if ((black_bishops & bit_of(G7_SQUARE)) && board[G8_SQUARE] == BLACK_KING)
        ps -= FIANCHETTO_BISHOP;
    if (wb > 1)
        ps += (wb - 1) * BISHOP_PAIR;
    if (bb > 1)
        ps -= (bb - 1) * BISHOP_PAIR;
    // A bishop's square numbers s + 7 and s + 9 are taken as they stand, also on the edge files.
    for_each_square(white_bishops & 0xFFFFull, [&](Square s) {
        if (board[s + 7] == WHITE_PAWN && board[s + 9] == WHITE_PAWN)
            ps -= BLOCKED_BISHOP;
    });
    for_each_square(black_bishops & 0xFFFF000000000000ull, [&](Square s) {
        if (board[s - 7] == BLACK_PAWN && board[s - 9] == BLACK_PAWN)
            ps += BLOCKED_BISHOP;
    });

    // Step 3: the phase.
    const int32_t threshold = (wq > 0 && bq > 0) ? PHASE_THRESHOLD_BOTH_QUEENS : PHASE_THRESHOLD;
    const bool middlegame = mw >= threshold || mb >= threshold;

    // Step 4: material that cannot win, or that opposite bishops make drawish.
    if (!middlegame) {
        const bool pawns = (white_pawns | black_pawns) != 0;
        const bool heavy = (wq | bq | wr | br) != 0;
        if (!pawns && !heavy && (wn == 1 || wb == 1 || bn == 1 || bb == 1))
            return 0;
        if (pawns && !heavy && wn == 0 && bn == 0 && wb == 1 && bb == 1 &&
            square_colour(__builtin_ctzll(white_bishops)) != square_colour(__builtin_ctzll(black_bishops))) {
            mw /= 2;
            mb /= 2;
        }
    }

    // Per-file pawn summaries with a border file on either side ([file + 1]): pawn counts,
    // White's rearmost pawn rank (6 when none), Black's rearmost pawn rank (1 when none).
    int white_count[10] = {}, black_count[10] = {};
    int white_rear[10] = {6, 6, 6, 6, 6, 6, 6, 6, 6, 6};
    int black_rear[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    for_each_square(white_pawns, [&](Square s) {
        const int f = file_of(s) + 1;
        white_count[f] += 1;
        if (rank_of(s) < white_rear[f])
            white_rear[f] = rank_of(s);
    });
    for_each_square(black_pawns, [&](Square s) {
        const int f = file_of(s) + 1;
        black_count[f] += 1;
        if (rank_of(s) > black_rear[f])
            black_rear[f] = rank_of(s);
    });

    // Step 5: pawn structure.
    for_each_square(white_pawns, [&](Square s) {
        const int f = file_of(s) + 1, r = rank_of(s);
        const bool isolated = white_count[f - 1] == 0 && white_count[f + 1] == 0;
        if (isolated) {
            ps -= middlegame ? ISOLATED_PAWN_MIDDLEGAME : ISOLATED_PAWN_ENDGAME;
        } else if (white_rear[f - 1] > r && white_rear[f + 1] > r) {
            ps -= BACKWARD_PAWN;
            if (black_count[f] == 0)
                ps -= BACKWARD_PAWN_OPEN_FILE;
        }
        if (white_count[f] > 1)
            ps -= DOUBLED_PAWN * (white_count[f] - 1);
        if (r >= black_rear[f] && r >= black_rear[f - 1] && r >= black_rear[f + 1]) {
            if (middlegame) {
                ps += PASSED_PAWN_MIDDLEGAME * r;
            } else {
                ps += PASSED_PAWN_ENDGAME * r;
                if (s + 8 < 64 && board[s + 8] != EMPTY)  // a pawn on rank 8 has nothing in front
                    ps -= PASSED_PAWN_BLOCKED;
            }
            if (!isolated) {
                ps += PASSED_PAWN_SUPPORTED;
                if (r - white_rear[f + 1] == 1 || r - white_rear[f - 1] == 1)
                    ps += PASSED_PAWN_PROTECTED;
            }
        }
    });
    for_each_square(black_pawns, [&](Square s) {
        const int f = file_of(s) + 1, r = rank_of(s);
        const bool isolated = black_count[f - 1] == 0 && black_count[f + 1] == 0;
        if (isolated) {
            ps += middlegame ? ISOLATED_PAWN_MIDDLEGAME : ISOLATED_PAWN_ENDGAME;
        } else if (black_rear[f - 1] < r && black_rear[f + 1] < r) {
            ps += BACKWARD_PAWN;
            if (white_count[f] == 0)
                ps += BACKWARD_PAWN_OPEN_FILE;
        }
        if (black_count[f] > 1)
            ps += DOUBLED_PAWN * (black_count[f] - 1);
        if (r <= white_rear[f] && r <= white_rear[f - 1] && r <= white_rear[f + 1]) {
            if (middlegame) {
                ps -= PASSED_PAWN_MIDDLEGAME * (7 - r);
            } else {
                ps -= PASSED_PAWN_ENDGAME * (7 - r);
                if (s - 8 >= 0 && board[s - 8] != EMPTY)  // a pawn on rank 1 has nothing in front
                    ps += PASSED_PAWN_BLOCKED;
            }
            if (!isolated) {
                ps -= PASSED_PAWN_SUPPORTED;
                if (black_rear[f + 1] - r == 1 || black_rear[f - 1] - r == 1)
                    ps -= PASSED_PAWN_PROTECTED;
            }
        }
    });

    const int white_king_rank = rank_of(p.white_king), black_king_rank = rank_of(p.black_king);

    // Step 6: queens on the seventh against a king on the back rank, endgame only.
    if (!middlegame) {
        if (black_king_rank == 7)
            ps += QUEEN_ON_SEVENTH * popcount(white_queens & 0x00FF000000000000ull);
        if (white_king_rank == 0)
            ps -= QUEEN_ON_SEVENTH * popcount(black_queens & 0x000000000000FF00ull);
    }

    // Step 7: rooks.
    for_each_square(white_rooks, [&](Square s) {
        const int f = file_of(s) + 1;
        if (middlegame && s == H1 && (p.white_king == F1 || p.white_king == G1))
            ps -= ROOK_BEFORE_CASTLED_KING;
        if (rank_of(s) == 6) {
            if (middlegame) {
                ps += ROOK_ON_SEVENTH_MIDDLEGAME;
            } else {
                ps += ROOK_ON_SEVENTH_ENDGAME;
                if (black_king_rank == 7)
                    ps += ROOK_ON_SEVENTH_KING_CUT;
            }
        }
        if (white_count[f] == 0)
            ps += black_count[f] == 0 ? ROOK_OPEN_FILE : ROOK_HALF_OPEN_FILE;
    });
    for_each_square(black_rooks, [&](Square s) {
        const int f = file_of(s) + 1;
        if (middlegame && s == H8 && (p.black_king == F8 || p.black_king == G8))
            ps += ROOK_BEFORE_CASTLED_KING;
        if (rank_of(s) == 1) {
            if (middlegame) {
                ps -= ROOK_ON_SEVENTH_MIDDLEGAME;
            } else {
                ps -= ROOK_ON_SEVENTH_ENDGAME;
                if (white_king_rank == 0)
                    ps -= ROOK_ON_SEVENTH_KING_CUT;
            }
        }
        if (black_count[f] == 0)
            ps -= white_count[f] == 0 ? ROOK_OPEN_FILE : ROOK_HALF_OPEN_FILE;
    });

    // Step 8: knight outposts that no enemy pawn can ever drive away.
    for_each_square(white_knights, [&](Square s) {
        const int f = file_of(s) + 1, r = rank_of(s);
        if (r < 6 && board[s + 8] == BLACK_PAWN && black_rear[f - 1] <= r && black_rear[f + 1] <= r) {
            ps += KNIGHT_OUTPOST;
            if (f == 3 || f == 4)
                ps += KNIGHT_OUTPOST_CENTRE;
        }
    });
    for_each_square(black_knights, [&](Square s) {
        const int f = file_of(s) + 1, r = rank_of(s);
        if (r > 1 && board[s - 8] == WHITE_PAWN && white_rear[f - 1] >= r && white_rear[f + 1] >= r) {
            ps -= KNIGHT_OUTPOST;
            if (f == 3 || f == 4)
                ps -= KNIGHT_OUTPOST_CENTRE;
        }
    });

    // Step 9: kings, sheltered in the middlegame, centralised in the endgame.
    if (middlegame) {
        const Square wk = p.white_king, bk = p.black_king;
        const int wf = file_of(wk) + 1, bf = file_of(bk) + 1;
        ps += WHITE_KING_MIDDLEGAME_TABLE[wk];
        if (white_count[wf] == 0)
            ps -= KING_FILE_WITHOUT_OWN_PAWN;
        if (black_count[wf] == 0)
            ps -= KING_FILE_WITHOUT_ENEMY_PAWN;
        if (white_king_rank < white_rear[wf] && white_count[wf] != 0)
            ps += SHIELD_OWN_FILE_STEP * (white_king_rank - white_rear[wf]) + SHIELD_OWN_FILE_STEP;
        else
            ps -= SHIELD_MISSING;
        for (int n : {wf + 1, wf - 1}) {
            if (white_king_rank < white_rear[n] && white_count[n] != 0)
                ps += SHIELD_SIDE_FILE_STEP * (white_king_rank - white_rear[n]) + SHIELD_SIDE_FILE_STEP;
            else
                ps -= SHIELD_MISSING;
        }

        ps -= BLACK_KING_MIDDLEGAME_TABLE[bk];
        if (black_count[bf] == 0)
            ps += KING_FILE_WITHOUT_OWN_PAWN;
        if (white_count[bf] == 0)
            ps += KING_FILE_WITHOUT_ENEMY_PAWN;
        if (black_king_rank > black_rear[bf] && black_count[bf] != 0)
            ps += SHIELD_OWN_FILE_STEP * (black_king_rank - black_rear[bf]) - SHIELD_OWN_FILE_STEP;
        else
            ps += SHIELD_MISSING;
        for (int n : {bf + 1, bf - 1}) {
            if (black_king_rank > black_rear[n] && black_count[n] != 0)
                ps += SHIELD_SIDE_FILE_STEP * (black_king_rank - black_rear[n]) - SHIELD_SIDE_FILE_STEP;
            else
                ps += SHIELD_MISSING;
        }
    } else {
        ps += KING_ENDGAME_TABLE[p.white_king] - KING_ENDGAME_TABLE[p.black_king];
    }

    // Step 10.
    position.piece_count = wn + bn + wb + bb + wr + br + wq + bq;

    const int32_t score = mw - mb + ps;
    return p.turn == 0 ? score : -score;
}

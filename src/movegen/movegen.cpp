// The pseudo-legal move generator, its castling tests, and the capture generator. Both visit
// their pieces from a1 to h8 and list each piece's targets in the order of the square tables:
// that order is what the search falls back on when move scores tie.
#include "movegen/movegen.h"

namespace {

// Are the squares the king stands on, crosses and reaches in one castling free of attacks?
// Castling looks for attackers without the enemy king (see square_attacked).
template <int THEM>
bool safe(Square a, Square b, Square c)
{
    return !square_attacked<THEM, false>(a) && !square_attacked<THEM, false>(b) && !square_attacked<THEM, false>(c);
}
bool castle_path_safe_wk() { return safe<BLACK_SIDE>(E1, F1, G1); }
bool castle_path_safe_wq() { return safe<BLACK_SIDE>(E1, D1, C1); }
bool castle_path_safe_bk() { return safe<WHITE_SIDE>(E8, F8, G8); }
bool castle_path_safe_bq() { return safe<WHITE_SIDE>(E8, D8, C8); }

// Each slider ray of the square tables as a bit set, in the tables' slot order, with the way
// its squares run: the capture generator finds the first piece on a ray with one bit scan
// instead of a walk over the empty squares before it.
struct RayBits {
    uint64_t squares;
    bool ascending;  // the ray runs toward higher square numbers
};
struct CaptureRays {
    RayBits bishop[64][4];  // [square][slot], as BishopRays
    RayBits rook[64][4];    // [square][slot], as RookRays
};

constexpr RayBits ray_bits(Square from, const RaySquare (&ray)[7])
{
    RayBits r{0, ray[0] != NO_SQUARE && ray[0] > from};
    for (RaySquare to : ray)
        if (to != NO_SQUARE)
            r.squares |= bit_of(to);
    return r;
}

constexpr CaptureRays build_capture_rays()
{
    CaptureRays rays{};
    for (Square sq = 0; sq < 64; ++sq) {
        for (int slot = 0; slot < 4; ++slot) {
            rays.bishop[sq][slot] = ray_bits(sq, BishopRays[sq][slot]);
            rays.rook[sq][slot] = ray_bits(sq, RookRays[sq][slot]);
        }
    }
    return rays;
}

constexpr CaptureRays CAPTURE_RAYS = build_capture_rays();

// The side to move, as constants: its colours and the directions its pawns take.
template <int US>
struct Side {
    static constexpr Piece OWN = colour_bit(US);
    static constexpr Piece ENEMY = colour_bit(1 - US);
    static constexpr int UP = US == WHITE_SIDE ? 8 : -8;
    static constexpr int H_SIDE = US == WHITE_SIDE ? 9 : -7;  // the capture toward the h-file
    static constexpr int A_SIDE = US == WHITE_SIDE ? 7 : -9;  // the capture toward the a-file
    static constexpr int START_RANK = US == WHITE_SIDE ? 1 : 6;
    static constexpr int LAST_BUT_ONE_RANK = US == WHITE_SIDE ? 6 : 1;
    static constexpr int LAST_RANK = US == WHITE_SIDE ? 7 : 0;
};

inline Move* add(Move* out, Square from, Square to, int kind = MOVE_NORMAL)
{
    *out = make_move_word(from, to, kind);
    return out + 1;
}

inline Move* add_promotions(Move* out, Square from, Square to)
{
    for (int kind = MOVE_PROMOTE_QUEEN; kind <= MOVE_PROMOTE_KNIGHT; ++kind)
        out = add(out, from, to, kind);
    return out;
}

// ---- Full lists ----

// A knight's or king's steps onto squares the side does not hold.
template <int US>
Move* step_moves(Move* out, Square from, const RaySquare (&steps)[8])
{
    for (RaySquare to : steps) {
        if (to == NO_SQUARE)
            break;
        if (colour_of(position.board[to]) != Side<US>::OWN)
            out = add(out, from, to);
    }
    return out;
}

// Every empty square of each ray, then the first piece when it is an enemy.
template <int US>
Move* slider_moves(Move* out, Square from, const RaySquare (&rays)[4][7])
{
    for (const auto& ray : rays) {
        for (RaySquare to : ray) {
            if (to == NO_SQUARE)
                break;
            const Piece piece = position.board[to];
            if (piece == EMPTY) {
                out = add(out, from, to);
                continue;
            }
            if (colour_of(piece) == Side<US>::ENEMY)
                out = add(out, from, to);
            break;
        }
    }
    return out;
}

// A pawn's captures, toward the h-file first: capture promotions from the last rank but one,
// else plain captures and the capture en passant. Both generators use it. A pawn on its last
// rank, which only a FEN puts there, has none.
template <int US>
Move* pawn_captures(Move* out, Square from)
{
    using S = Side<US>;
    const Piece* board = position.board;
    const int rank = rank_of(from), file = file_of(from);
    if (rank == S::LAST_RANK)
        return out;
    for (int side = 0; side < 2; ++side) {
        if (side == 0 ? file == 7 : file == 0)
            continue;
        const Square to = from + (side == 0 ? S::H_SIDE : S::A_SIDE);
        if (colour_of(board[to]) == S::ENEMY)
            out = rank == S::LAST_BUT_ONE_RANK ? add_promotions(out, from, to) : add(out, from, to);
        else if (to == position.ep_square && rank != S::START_RANK && rank != S::LAST_BUT_ONE_RANK)
            out = add(out, from, to, MOVE_EN_PASSANT);
    }
    return out;
}

// The push (promoting from the last rank but one), the double push from the start rank, then
// the captures. A pawn on its last rank has no move.
template <int US>
Move* pawn_moves(Move* out, Square from)
{
    using S = Side<US>;
    const Piece* board = position.board;
    const int rank = rank_of(from);
    if (rank == S::LAST_RANK)
        return out;
    const Square ahead = from + S::UP;
    if (board[ahead] == EMPTY) {
        if (rank == S::LAST_BUT_ONE_RANK) {
            out = add_promotions(out, from, ahead);
        } else {
            out = add(out, from, ahead);
            if (rank == S::START_RANK && board[ahead + S::UP] == EMPTY)
                out = add(out, from, ahead + S::UP, MOVE_DOUBLE_PUSH);
        }
    }
    return pawn_captures<US>(out, from);
}

// King side first, then queen side: the right, an empty path, the rook in its corner, and no
// attacked square under the king.
template <int US>
Move* castling_moves(Move* out, Square from)
{
    const Piece* board = position.board;
    const uint8_t rights = position.castling;
    if (US == WHITE_SIDE && from == E1) {
        if ((rights & CASTLE_WK) && board[F1] == EMPTY && board[G1] == EMPTY && board[H1] == WHITE_ROOK &&
            castle_path_safe_wk())
            *out++ = WHITE_CASTLE_KING_SIDE;
        if ((rights & CASTLE_WQ) && board[D1] == EMPTY && board[C1] == EMPTY && board[B1] == EMPTY &&
            board[A1] == WHITE_ROOK && castle_path_safe_wq())
            *out++ = WHITE_CASTLE_QUEEN_SIDE;
    } else if (US == 1 && from == E8) {
        if ((rights & CASTLE_BK) && board[F8] == EMPTY && board[G8] == EMPTY && board[H8] == BLACK_ROOK &&
            castle_path_safe_bk())
            *out++ = BLACK_CASTLE_KING_SIDE;
        if ((rights & CASTLE_BQ) && board[D8] == EMPTY && board[C8] == EMPTY && board[B8] == EMPTY &&
            board[A8] == BLACK_ROOK && castle_path_safe_bq())
            *out++ = BLACK_CASTLE_QUEEN_SIDE;
    }
    return out;
}

template <int US>
Move* piece_moves(Move* out, Square from)
{
    switch (kind_of(position.board[from])) {
    case PAWN: return pawn_moves<US>(out, from);
    case KNIGHT: return step_moves<US>(out, from, KnightSteps[from]);
    case BISHOP: return slider_moves<US>(out, from, BishopRays[from]);
    case ROOK: return slider_moves<US>(out, from, RookRays[from]);
    case QUEEN: out = slider_moves<US>(out, from, BishopRays[from]); return slider_moves<US>(out, from, RookRays[from]);
    case KING:
        out = step_moves<US>(out, from, KingSteps[from]);
        return position.castling ? castling_moves<US>(out, from) : out;
    default: return out;
    }
}

// The side's pieces as one bit set.
template <int US>
uint64_t own_pieces()
{
    constexpr Piece OWN = Side<US>::OWN;
    const uint64_t* pieces = position.pieces;
    return pieces[OWN | PAWN] | pieces[OWN | KNIGHT] | pieces[OWN | BISHOP] | pieces[OWN | ROOK] | pieces[OWN | QUEEN] |
           pieces[OWN | KING];
}

template <int US>
void generate_all(MoveList& list)
{
    Move* const start = list.moves;
    Move* out = start;
    for (uint64_t own = own_pieces<US>(); own; own &= own - 1) {
        if (out - start > MAX_MOVES - MOVES_PER_PIECE_LIMIT)
            break;  // a composed position with more moves than any game reaches: the rest are dropped
        out = piece_moves<US>(out, lowest_square(own));
    }
    list.count = int32_t(out - start);
}

// ---- Captures only ----

// A knight or king whose reachable enemies are known: a single target (the usual case) needs
// no walk; several are taken in the order of the step list.
inline Move* step_captures(Move* out, Square from, uint64_t targets, const RaySquare (&steps)[8])
{
    if ((targets & (targets - 1)) == 0)
        return add(out, from, lowest_square(targets));
    for (RaySquare to : steps) {
        if (to == NO_SQUARE)
            break;
        if (targets & bit_of(to))
            out = add(out, from, to);
    }
    return out;
}

// The first piece on each ray, taken when it is an enemy.
inline Move* ray_captures(Move* out, Square from, const RayBits (&rays)[4], uint64_t enemies)
{
    for (const RayBits& ray : rays) {
        const uint64_t blockers = ray.squares & position.occupied;
        if (blockers == 0)
            continue;
        const Square to = ray.ascending ? lowest_square(blockers) : highest_square(blockers);
        if (enemies & bit_of(to))
            out = add(out, from, to);
    }
    return out;
}

template <int US>
Move* piece_captures(Move* out, Square from, uint64_t enemies)
{
    switch (kind_of(position.board[from])) {
    case PAWN: return pawn_captures<US>(out, from);
    case KNIGHT: return step_captures(out, from, ATTACK_MASKS.knight[from] & enemies, KnightSteps[from]);
    case BISHOP: return ray_captures(out, from, CAPTURE_RAYS.bishop[from], enemies);
    case ROOK: return ray_captures(out, from, CAPTURE_RAYS.rook[from], enemies);
    case QUEEN:
        if (ATTACK_MASKS.bishop_lines[from] & enemies)
            out = ray_captures(out, from, CAPTURE_RAYS.bishop[from], enemies);
        if (ATTACK_MASKS.rook_lines[from] & enemies)
            out = ray_captures(out, from, CAPTURE_RAYS.rook[from], enemies);
        return out;
    case KING: return step_captures(out, from, ATTACK_MASKS.king[from] & enemies, KingSteps[from]);
    default: return out;
    }
}

// The pieces that reach an enemy piece (a slider: along one of its lines, whatever stands
// between); only these are visited, still in square order.
template <int US>
uint64_t pieces_with_targets(uint64_t enemies)
{
    constexpr Piece OWN = Side<US>::OWN;
    const uint64_t* pieces = position.pieces;
    const uint64_t pawn_targets = position.ep_square ? enemies | bit_of(position.ep_square) : enemies;
    const uint64_t pawns = pieces[OWN | PAWN];
    uint64_t visit = US == WHITE_SIDE ? pawns & (((pawn_targets >> 9) & ~H_FILE) | ((pawn_targets >> 7) & ~A_FILE))
                                      : pawns & (((pawn_targets << 7) & ~H_FILE) | ((pawn_targets << 9) & ~A_FILE));
    auto visit_if = [&](uint64_t set, const uint64_t(&reach)[64]) {
        for (; set; set &= set - 1) {
            const Square sq = lowest_square(set);
            if (reach[sq] & enemies)
                visit |= bit_of(sq);
        }
    };
    const uint64_t queens = pieces[OWN | QUEEN];
    visit_if(pieces[OWN | KNIGHT], ATTACK_MASKS.knight);
    visit_if(pieces[OWN | KING], ATTACK_MASKS.king);
    visit_if(pieces[OWN | BISHOP] | queens, ATTACK_MASKS.bishop_lines);
    visit_if(pieces[OWN | ROOK] | queens, ATTACK_MASKS.rook_lines);
    return visit;
}

template <int US>
void generate_only_captures(CaptureList& list)
{
    const uint64_t enemies = position.occupied & ~own_pieces<US>();
    Move* const start = list.moves;
    Move* out = start;
    for (uint64_t visit = pieces_with_targets<US>(enemies); visit; visit &= visit - 1) {
        if (out - start > MAX_CAPTURES - CAPTURES_PER_PIECE_LIMIT)
            break;  // as in the full generator
        out = piece_captures<US>(out, lowest_square(visit), enemies);
    }
    list.count = int32_t(out - start);
}

}  // namespace

void generate_moves(MoveList& list)
{
    if (position.turn == WHITE_SIDE)
        generate_all<WHITE_SIDE>(list);
    else
        generate_all<BLACK_SIDE>(list);
}

bool lists_have_room()
{
    const Piece own = colour_bit(position.turn);
    const uint64_t* pieces = position.pieces;
    const int most_moves = 12 * square_count(pieces[own | PAWN]) + 8 * square_count(pieces[own | KNIGHT]) +
                           13 * square_count(pieces[own | BISHOP]) + 14 * square_count(pieces[own | ROOK]) +
                           27 * square_count(pieces[own | QUEEN]) + 10 * square_count(pieces[own | KING]);
    const int own_count = square_count(pieces[own | PAWN] | pieces[own | KNIGHT] | pieces[own | BISHOP] |
                                       pieces[own | ROOK] | pieces[own | QUEEN] | pieces[own | KING]);
    return most_moves <= MAX_MOVES - MOVES_PER_PIECE_LIMIT &&
           CAPTURES_PER_PIECE_LIMIT * own_count <= MAX_CAPTURES - CAPTURES_PER_PIECE_LIMIT;
}

void generate_captures(CaptureList& list)
{
    if (position.turn == WHITE_SIDE)
        generate_only_captures<WHITE_SIDE>(list);
    else
        generate_only_captures<BLACK_SIDE>(list);
}

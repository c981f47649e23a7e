// The pseudo-legal move generator, its castling tests, and the capture generator.
#include "movegen/movegen.h"

namespace {

// Squares attacked by the given side's pawns, knights, bishops, rooks and queens (the king is
// not looked for: a castling king next to the enemy king fails the legality test anyway).
template <int THEM>
bool square_attacked(Square sq)
{
    constexpr Piece colour = THEM == 0 ? WHITE : BLACK;
    const uint64_t* pieces = position.pieces;
    const uint64_t pawn_origins =
        THEM == 0 ? ATTACK_MASKS.white_pawns_attacking[sq] : ATTACK_MASKS.black_pawns_attacking[sq];
    if ((ATTACK_MASKS.knight[sq] & pieces[colour | KNIGHT]) | (pawn_origins & pieces[colour | PAWN]))
        return true;
    const uint64_t queens = pieces[colour | QUEEN];
    uint64_t sliders = ((pieces[colour | ROOK] | queens) & ATTACK_MASKS.rook_lines[sq]) |
                       ((pieces[colour | BISHOP] | queens) & ATTACK_MASKS.bishop_lines[sq]);
    for (; sliders; sliders &= sliders - 1) {
        Square from = lowest_square(sliders);
        if ((ATTACK_MASKS.between[sq][from] & position.occupied) == 0)
            return true;
    }
    return false;
}

// Are the squares the king stands on, crosses and reaches in one castling free of attacks by
// enemy pawns, knights, bishops, rooks and queens?
bool castle_path_safe_wk() { return !square_attacked<1>(E1) && !square_attacked<1>(F1) && !square_attacked<1>(G1); }
bool castle_path_safe_wq() { return !square_attacked<1>(E1) && !square_attacked<1>(D1) && !square_attacked<1>(C1); }
bool castle_path_safe_bk() { return !square_attacked<0>(E8) && !square_attacked<0>(F8) && !square_attacked<0>(G8); }
bool castle_path_safe_bq() { return !square_attacked<0>(E8) && !square_attacked<0>(D8) && !square_attacked<0>(C8); }

// For the capture generator: each slider ray of the square tables as a bit set, in the tables'
// slot order, with the way its squares run, so that the first piece on the ray is found with
// one bit scan instead of a walk over the empty squares before it.
struct RayBits {
    uint64_t squares;
    bool ascending;  // the ray runs toward higher square numbers
};
struct CaptureMasks {
    RayBits bishop[64][4];  // [square][slot], as BishopRays
    RayBits rook[64][4];    // [square][slot], as RookRays
    uint64_t pawn[2][64];   // [side][square] the squares a pawn there captures on
};

constexpr RayBits ray_bits(Square from, const RaySquare (&ray)[7])
{
    RayBits r{0, ray[0] != NO_SQUARE && ray[0] > from};
    for (RaySquare to : ray)
        if (to != NO_SQUARE)
            r.squares |= uint64_t(1) << to;
    return r;
}

constexpr CaptureMasks build_capture_masks()
{
    CaptureMasks m{};
    for (Square sq = 0; sq < 64; ++sq) {
        for (int slot = 0; slot < 4; ++slot) {
            m.bishop[sq][slot] = ray_bits(sq, BishopRays[sq][slot]);
            m.rook[sq][slot] = ray_bits(sq, RookRays[sq][slot]);
        }
        const int file = sq & 7, rank = sq >> 3;
        if (rank < 7 && file != 0)
            m.pawn[0][sq] |= uint64_t(1) << (sq + 7);
        if (rank < 7 && file != 7)
            m.pawn[0][sq] |= uint64_t(1) << (sq + 9);
        if (rank > 0 && file != 0)
            m.pawn[1][sq] |= uint64_t(1) << (sq - 9);
        if (rank > 0 && file != 7)
            m.pawn[1][sq] |= uint64_t(1) << (sq - 7);
    }
    return m;
}

constexpr CaptureMasks CAPTURE_MASKS = build_capture_masks();

// One generator per side, so that every colour test is a constant.
template <int US, bool CAPTURES_ONLY, typename List>
void generate(List& list)
{
    constexpr Piece OWN = US == 0 ? WHITE : BLACK;
    constexpr Piece ENEMY = US == 0 ? BLACK : WHITE;
    constexpr int UP = US == 0 ? 8 : -8;
    constexpr int H_SIDE = US == 0 ? 9 : -7;  // the capture toward the h-file
    constexpr int A_SIDE = US == 0 ? 7 : -9;  // the capture toward the a-file
    constexpr int START_RANK = US == 0 ? 1 : 6;
    constexpr int LAST_BUT_ONE_RANK = US == 0 ? 6 : 1;
    constexpr int LAST_RANK = US == 0 ? 7 : 0;
    constexpr int CAPACITY = sizeof(list.moves) / sizeof(Move);
    constexpr int PER_PIECE = CAPTURES_ONLY ? CAPTURES_PER_PIECE_LIMIT : MOVES_PER_PIECE_LIMIT;

    const Piece* board = position.board;
    Move* out = list.moves;
    int n = 0;
    auto add = [&](Square from, Square to, int kind) { out[n++] = make_move_word(from, to, kind); };
    auto add_promotions = [&](Square from, Square to) {
        for (int kind = MOVE_PROMOTE_QUEEN; kind <= MOVE_PROMOTE_KNIGHT; ++kind)
            add(from, to, kind);
    };
    auto is_enemy = [&](Square sq) { return (board[sq] & 3) == ENEMY; };
    // Full lists: every empty square of each ray, then the first piece when it is an enemy.
    auto walk_rays = [&](Square from, const RaySquare(&rays)[4][7]) {
        for (const auto& ray : rays) {
            for (RaySquare to : ray) {
                if (to == NO_SQUARE)
                    break;
                if (board[to] == EMPTY) {
                    add(from, to, MOVE_NORMAL);
                    continue;
                }
                if (is_enemy(to))
                    add(from, to, MOVE_NORMAL);
                break;
            }
        }
    };
    const uint64_t* pieces = position.pieces;
    uint64_t own = pieces[OWN | PAWN] | pieces[OWN | KNIGHT] | pieces[OWN | BISHOP] | pieces[OWN | ROOK] |
                   pieces[OWN | QUEEN] | pieces[OWN | KING];
    const uint64_t enemies = position.occupied & ~own;

    // Captures only: the first piece on each ray, taken when it is an enemy.
    auto capture_on_rays = [&](Square from, const RayBits(&rays)[4]) {
        for (const RayBits& ray : rays) {
            const uint64_t blockers = ray.squares & position.occupied;
            if (blockers == 0)
                continue;
            const Square to = ray.ascending ? lowest_square(blockers) : highest_square(blockers);
            if (enemies & bit_of(to))
                add(from, to, MOVE_NORMAL);
        }
    };
    // Captures only, for a knight or king whose reachable enemies are known: a single target
    // (the usual case) needs no walk; several are taken in the order of the step list.
    auto capture_targets = [&](Square from, uint64_t targets, const RaySquare(&steps)[8]) {
        if ((targets & (targets - 1)) == 0) {
            add(from, lowest_square(targets), MOVE_NORMAL);
            return;
        }
        for (RaySquare to : steps) {
            if (to == NO_SQUARE)
                break;
            if (targets & bit_of(to))
                add(from, to, MOVE_NORMAL);
        }
    };
    // Full lists: every step onto a square not held by US.
    auto step_to = [&](Square from, const RaySquare(&steps)[8]) {
        for (RaySquare to : steps) {
            if (to == NO_SQUARE)
                break;
            if ((board[to] & 3) != OWN)
                add(from, to, MOVE_NORMAL);
        }
    };

    // The capture generator visits only the pieces that reach an enemy piece (a slider: along
    // one of its lines, whatever stands between), still in square order.
    if (CAPTURES_ONLY) {
        const uint64_t pawn_targets = position.ep_square ? enemies | bit_of(position.ep_square) : enemies;
        const uint64_t pawns = pieces[OWN | PAWN];
        uint64_t visit = US == 0 ? pawns & (((pawn_targets >> 9) & ~H_FILE) | ((pawn_targets >> 7) & ~A_FILE))
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
        own = visit;
    }
    for (; own; own &= own - 1) {
        if (n > CAPACITY - PER_PIECE)
            break;  // a composed position with more moves than any game reaches: the rest are dropped
        const Square from = lowest_square(own);
        if (CAPTURES_ONLY) {
            switch (board[from] & ~3) {
            case KNIGHT: capture_targets(from, ATTACK_MASKS.knight[from] & enemies, KnightSteps[from]); continue;
            case KING: capture_targets(from, ATTACK_MASKS.king[from] & enemies, KingSteps[from]); continue;
            case BISHOP: capture_on_rays(from, CAPTURE_MASKS.bishop[from]); continue;
            case ROOK: capture_on_rays(from, CAPTURE_MASKS.rook[from]); continue;
            case QUEEN:
                if (ATTACK_MASKS.bishop_lines[from] & enemies)
                    capture_on_rays(from, CAPTURE_MASKS.bishop[from]);
                if (ATTACK_MASKS.rook_lines[from] & enemies)
                    capture_on_rays(from, CAPTURE_MASKS.rook[from]);
                continue;
            default: break;  // a pawn with a target: on to the full pawn rules below
            }
        }
        switch (board[from] & ~3) {
        case PAWN: {
            const int rank = from >> 3, file = from & 7;
            if (rank == LAST_RANK)
                break;  // only a FEN puts a pawn here; it has nowhere to go
            const Square ahead = from + UP;
            if (rank == LAST_BUT_ONE_RANK) {
                if (!CAPTURES_ONLY && board[ahead] == EMPTY)
                    add_promotions(from, ahead);
                if (file != 7 && is_enemy(from + H_SIDE))
                    add_promotions(from, from + H_SIDE);
                if (file != 0 && is_enemy(from + A_SIDE))
                    add_promotions(from, from + A_SIDE);
                break;
            }
            if (!CAPTURES_ONLY && board[ahead] == EMPTY) {
                add(from, ahead, MOVE_NORMAL);
                if (rank == START_RANK && board[ahead + UP] == EMPTY)
                    add(from, ahead + UP, MOVE_DOUBLE_PUSH);
            }
            for (int side = 0; side < 2; ++side) {
                if (side == 0 ? file == 7 : file == 0)
                    continue;
                const Square to = from + (side == 0 ? H_SIDE : A_SIDE);
                if (is_enemy(to))
                    add(from, to, MOVE_NORMAL);
                else if (to == position.ep_square && rank != START_RANK)
                    add(from, to, MOVE_EN_PASSANT);
            }
            break;
        }
        case KNIGHT: step_to(from, KnightSteps[from]); break;
        // Captures of the other pieces were taken above; these are the full lists.
        case BISHOP: walk_rays(from, BishopRays[from]); break;
        case ROOK: walk_rays(from, RookRays[from]); break;
        case QUEEN:
            walk_rays(from, BishopRays[from]);
            walk_rays(from, RookRays[from]);
            break;
        case KING:
            step_to(from, KingSteps[from]);
            if (position.castling == 0)
                break;
            if (US == 0 && from == E1) {
                if ((position.castling & CASTLE_WK) && board[F1] == EMPTY && board[G1] == EMPTY &&
                    board[H1] == WHITE_ROOK && castle_path_safe_wk())
                    out[n++] = WHITE_CASTLE_KING_SIDE;
                if ((position.castling & CASTLE_WQ) && board[D1] == EMPTY && board[C1] == EMPTY && board[B1] == EMPTY &&
                    board[A1] == WHITE_ROOK && castle_path_safe_wq())
                    out[n++] = WHITE_CASTLE_QUEEN_SIDE;
            } else if (US == 1 && from == E8) {
                if ((position.castling & CASTLE_BK) && board[F8] == EMPTY && board[G8] == EMPTY &&
                    board[H8] == BLACK_ROOK && castle_path_safe_bk())
                    out[n++] = BLACK_CASTLE_KING_SIDE;
                if ((position.castling & CASTLE_BQ) && board[D8] == EMPTY && board[C8] == EMPTY && board[B8] == EMPTY &&
                    board[A8] == BLACK_ROOK && castle_path_safe_bq())
                    out[n++] = BLACK_CASTLE_QUEEN_SIDE;
            }
            break;
        }
    }
    list.count = n;
}

}  // namespace

void generate_moves(MoveList& list)
{
    if (position.turn == 0)
        generate<0, false>(list);
    else
        generate<1, false>(list);
}

void generate_captures(CaptureList& list)
{
    if (position.turn == 0)
        generate<0, true>(list);
    else
        generate<1, true>(list);
}

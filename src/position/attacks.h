// Attack tests on a king square, inline: move_was_legal runs after every move the search and
// perft make. Included by position.h; not to be included on its own.
#pragma once
#include "movegen/tables.h"

namespace attacks_detail {

inline bool slider_reaches(Square king, uint64_t sliders)
{
    while (sliders) {
        Square from = __builtin_ctzll(sliders);
        if ((ATTACK_MASKS.between[king][from] & position.occupied) == 0)
            return true;
        sliders &= sliders - 1;
    }
    return false;
}

// Is the white king's square attacked by a black piece?
inline bool white_king_attacked()
{
    const Square k = position.white_king;
    const uint64_t* pieces = position.pieces;
    if ((ATTACK_MASKS.knight[k] & pieces[BLACK_KNIGHT]) | (ATTACK_MASKS.king[k] & pieces[BLACK_KING]) |
        (ATTACK_MASKS.black_pawns_attacking[k] & pieces[BLACK_PAWN]))
        return true;
    return slider_reaches(k, (pieces[BLACK_ROOK] | pieces[BLACK_QUEEN]) & ATTACK_MASKS.rook_lines[k]) ||
           slider_reaches(k, (pieces[BLACK_BISHOP] | pieces[BLACK_QUEEN]) & ATTACK_MASKS.bishop_lines[k]);
}

// Is the black king's square attacked by a white piece?
inline bool black_king_attacked()
{
    const Square k = position.black_king;
    const uint64_t* pieces = position.pieces;
    if ((ATTACK_MASKS.knight[k] & pieces[WHITE_KNIGHT]) | (ATTACK_MASKS.king[k] & pieces[WHITE_KING]) |
        (ATTACK_MASKS.white_pawns_attacking[k] & pieces[WHITE_PAWN]))
        return true;
    return slider_reaches(k, (pieces[WHITE_ROOK] | pieces[WHITE_QUEEN]) & ATTACK_MASKS.rook_lines[k]) ||
           slider_reaches(k, (pieces[WHITE_BISHOP] | pieces[WHITE_QUEEN]) & ATTACK_MASKS.bishop_lines[k]);
}

}  // namespace attacks_detail

// Is the king of the side to move attacked?
inline bool in_check()
{
    return position.turn == 0 ? attacks_detail::white_king_attacked() : attacks_detail::black_king_attacked();
}

// After a move was made: is the king of the side that made it safe?
inline bool move_was_legal()
{
    return position.turn == 1 ? !attacks_detail::white_king_attacked() : !attacks_detail::black_king_attacked();
}

// The same question answered by walking the step and ray lists from the king outward, piece
// by piece. Slower; kept as the reference the fast test is checked against.
bool king_attacked_by_scan(bool white_king);

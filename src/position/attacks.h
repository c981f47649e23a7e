// Attack tests on a king square, inline: move_was_legal runs after every move the search and
// perft make. position.h includes this header, so every user of the position has them.
#pragma once
#include <cstdint>

#include "movegen/tables.h"  // the square tables: one side of the position-generator tie
#include "position/position.h"

namespace attacks_detail {

inline bool slider_reaches(Square king, uint64_t sliders)
{
    while (sliders) {
        Square from = lowest_square(sliders);
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

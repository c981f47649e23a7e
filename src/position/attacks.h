// The attack test, inline: move_was_legal runs after every move the search and perft make, and
// the generator asks it whether castling crosses an attacked square. position.h includes this
// header, so every user of the position has it.
#pragma once
#include <cstdint>

#include "position/position.h"
#include "position/squares.h"

// Is square sq attacked by a piece of side THEM (WHITE_SIDE, BLACK_SIDE)? With WITH_KING the enemy
// king counts too. Castling leaves it out on purpose: a king that castles next to the enemy king
// fails the legality test made after every move anyway.
template <int THEM, bool WITH_KING>
inline bool square_attacked(Square sq)
{
    constexpr Piece colour = colour_bit(THEM);
    const uint64_t* pieces = position.pieces;
    const uint64_t pawn_origins =
        THEM == WHITE_SIDE ? ATTACK_MASKS.white_pawns_attacking[sq] : ATTACK_MASKS.black_pawns_attacking[sq];
    uint64_t steppers = (ATTACK_MASKS.knight[sq] & pieces[colour | KNIGHT]) | (pawn_origins & pieces[colour | PAWN]);
    if constexpr (WITH_KING)
        steppers |= ATTACK_MASKS.king[sq] & pieces[colour | KING];
    if (steppers)
        return true;
    // A slider attacks when nothing stands between it and the square.
    const uint64_t queens = pieces[colour | QUEEN];
    for (uint64_t sliders = (pieces[colour | ROOK] | queens) & ATTACK_MASKS.rook_lines[sq]; sliders;
         sliders &= sliders - 1)
        if ((ATTACK_MASKS.between[sq][lowest_square(sliders)] & position.occupied) == 0)
            return true;
    for (uint64_t sliders = (pieces[colour | BISHOP] | queens) & ATTACK_MASKS.bishop_lines[sq]; sliders;
         sliders &= sliders - 1)
        if ((ATTACK_MASKS.between[sq][lowest_square(sliders)] & position.occupied) == 0)
            return true;
    return false;
}

// Is the king of the side to move attacked?
inline bool in_check()
{
    return position.turn == WHITE_SIDE ? square_attacked<BLACK_SIDE, true>(position.white_king)
                                       : square_attacked<WHITE_SIDE, true>(position.black_king);
}

// After a move was made: is the king of the side that made it safe?
inline bool move_was_legal()
{
    return position.turn == BLACK_SIDE ? !square_attacked<BLACK_SIDE, true>(position.white_king)
                                       : !square_attacked<WHITE_SIDE, true>(position.black_king);
}

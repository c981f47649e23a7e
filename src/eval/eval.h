// Static evaluation: material, piece-square tables, pawn structure, rook, knight and king
// terms. Leaves the count of knights, bishops, rooks and queens in position.piece_count.
#pragma once
#include <cstdint>

// Material values of the evaluation (move ordering keeps its own in piece_value).
extern int32_t pawn_material, knight_material, bishop_material, rook_material, queen_material;
void init_material();

// The score of the position in centipawns from the side to move's view. Also leaves in
// position.piece_count the knights, bishops, rooks and queens it counted (the null move's test
// reads it), except when it returns early for a drawn ending.
int32_t evaluate();

// The static evaluation written out plainly, White's terms and then Black's, square by square
// from the board: the fast evaluation is checked against it on many positions.
#pragma once
#include <cstdint>

// The score from the side to move's view. counted is false when the drawn-ending rule returned
// early (the evaluation then leaves the piece count alone); otherwise piece_count is the
// number of knights, bishops, rooks and queens.
int32_t reference_evaluate(int32_t& piece_count, bool& counted);

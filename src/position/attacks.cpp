// The attack scan that walks the step and ray lists outward from a king square.
#include "position/position.h"

bool king_attacked_by_scan(bool white_king)
{
    const Square k = white_king ? position.white_king : position.black_king;
    const Piece them = white_king ? BLACK : WHITE;
    const Piece* board = position.board;

    auto first_on_rays = [&](const RaySquare(&rays)[4][7], Piece slider) {
        for (const auto& ray : rays) {
            for (RaySquare sq : ray) {
                if (sq == NO_SQUARE)
                    break;
                if (board[sq] == EMPTY)
                    continue;
                if (board[sq] == (them | QUEEN) || board[sq] == (them | slider))
                    return true;
                break;
            }
        }
        return false;
    };
    auto on_steps = [&](const RaySquare(&steps)[8], Piece piece) {
        for (RaySquare sq : steps) {
            if (sq == NO_SQUARE)
                break;
            if (board[sq] == piece)
                return true;
        }
        return false;
    };

    if (first_on_rays(RookRays[k], ROOK) || first_on_rays(BishopRays[k], BISHOP) ||
        on_steps(KnightSteps[k], them | KNIGHT) || on_steps(KingSteps[k], them | KING))
        return true;

    const int file = file_of(k);
    if (white_king) {
        if (k < 48)
            return (file != 0 && board[k + 7] == BLACK_PAWN) || (file != 7 && board[k + 9] == BLACK_PAWN);
    } else if (k > 15) {
        return (file != 7 && board[k - 7] == WHITE_PAWN) || (file != 0 && board[k - 9] == WHITE_PAWN);
    }
    return false;
}

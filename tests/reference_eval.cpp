// The reference evaluation: one pass over the 64 squares filling piece lists and per-file pawn
// summaries, then every rule in the order the evaluation's description gives them, written
// out once for White and once for Black. Slow and plain on purpose.
#include "reference_eval.h"

#include <vector>

#include "eval/eval.h"
#include "eval/tables.h"
#include "position/position.h"

using namespace eval_tables;

int32_t reference_evaluate(int32_t& piece_count, bool& counted)
{
    const Piece* board = position.board;
    int32_t mw = 0, mb = 0, ps = 0;
    // File summaries indexed by file + 1: index 0 and 9 are the border files.
    int wp[10] = {}, bp[10] = {};
    int wr[10], br[10];
    for (int i = 0; i < 10; ++i) {
        wr[i] = 6;
        br[i] = 1;
    }
    std::vector<Square> white_pawns, black_pawns, white_knights, black_knights, white_rooks, black_rooks;
    std::vector<Square> white_queens, black_queens;
    int white_bishops = 0, black_bishops = 0, white_bishop_colour = -1, black_bishop_colour = -1;

    for (Square s = 0; s < 64; ++s) {
        const int f = s % 8, r = s / 8;
        switch (board[s]) {
        case WHITE_PAWN:
            mw += pawn_material;
            ps += WHITE_PAWN_TABLE[s];
            wp[f + 1] += 1;
            if (r < wr[f + 1])
                wr[f + 1] = r;
            white_pawns.push_back(s);
            break;
        case BLACK_PAWN:
            mb += pawn_material;
            ps -= BLACK_PAWN_TABLE[s];
            bp[f + 1] += 1;
            if (r > br[f + 1])
                br[f + 1] = r;
            black_pawns.push_back(s);
            break;
        case WHITE_KNIGHT:
            mw += knight_material;
            ps += WHITE_KNIGHT_TABLE[s];
            white_knights.push_back(s);
            break;
        case BLACK_KNIGHT:
            mb += knight_material;
            ps -= BLACK_KNIGHT_TABLE[s];
            black_knights.push_back(s);
            break;
        case WHITE_BISHOP:
            mw += bishop_material;
            ps += WHITE_BISHOP_TABLE[s];
            if (s == 14 && board[6] == WHITE_KING)
                ps += FIANCHETTO_BISHOP;
            if (white_bishops == 0)
                white_bishop_colour = (f + r) & 1;
            else
                ps += BISHOP_PAIR;
            white_bishops += 1;
            if (r <= 1 && board[s + 7] == WHITE_PAWN && board[s + 9] == WHITE_PAWN)
                ps -= BLOCKED_BISHOP;
            break;
        case BLACK_BISHOP:
            mb += bishop_material;
            ps -= BLACK_BISHOP_TABLE[s];
            if (s == 54 && board[62] == BLACK_KING)
                ps -= FIANCHETTO_BISHOP;
            if (black_bishops == 0)
                black_bishop_colour = (f + r) & 1;
            else
                ps -= BISHOP_PAIR;
            black_bishops += 1;
            if (r >= 6 && board[s - 7] == BLACK_PAWN && board[s - 9] == BLACK_PAWN)
                ps += BLOCKED_BISHOP;
            break;
        case WHITE_ROOK:
            mw += rook_material;
            white_rooks.push_back(s);
            break;
        case BLACK_ROOK:
            mb += rook_material;
            black_rooks.push_back(s);
            break;
        case WHITE_QUEEN:
            mw += queen_material;
            ps += WHITE_QUEEN_TABLE[s];
            white_queens.push_back(s);
            break;
        case BLACK_QUEEN:
            mb += queen_material;
            ps -= BLACK_QUEEN_TABLE[s];
            black_queens.push_back(s);
            break;
        default: break;
        }
    }

    // Phase.
    const int threshold = !white_queens.empty() && !black_queens.empty() ? 1900 : 2160;
    const bool middlegame = mw >= threshold || mb >= threshold;

    // Endgame material rules.
    const int pawns = int(white_pawns.size() + black_pawns.size());
    const bool heavy = !white_queens.empty() || !black_queens.empty() || !white_rooks.empty() || !black_rooks.empty();
    if (!middlegame && pawns == 0 && !heavy &&
        (white_knights.size() == 1 || white_bishops == 1 || black_knights.size() == 1 || black_bishops == 1)) {
        counted = false;
        return 0;
    }
    if (!middlegame && pawns > 0 && !heavy && white_knights.empty() && black_knights.empty() && white_bishops == 1 &&
        black_bishops == 1 && white_bishop_colour != black_bishop_colour) {
        mw /= 2;
        mb /= 2;
    }

    // White pawns.
    for (Square s : white_pawns) {
        const int f = s % 8 + 1, r = s / 8;
        const bool isolated = wp[f - 1] == 0 && wp[f + 1] == 0;
        if (isolated) {
            ps -= middlegame ? 8 : 20;
        } else if (wr[f - 1] > r && wr[f + 1] > r) {
            ps -= 10;
            if (bp[f] == 0)
                ps -= 15;
        }
        if (wp[f] > 1)
            ps += 4 - 4 * wp[f];
        if (r >= br[f] && r >= br[f - 1] && r >= br[f + 1]) {
            if (middlegame) {
                ps += 12 * r;
            } else {
                ps += 20 * r;
                if (s + 8 < 64 && board[s + 8] != EMPTY)
                    ps -= 25;
            }
            if (!isolated) {
                ps += 25;
                if (r - wr[f + 1] == 1 || r - wr[f - 1] == 1)
                    ps += 30;
            }
        }
    }
    // Black pawns.
    for (Square s : black_pawns) {
        const int f = s % 8 + 1, r = s / 8;
        const bool isolated = bp[f - 1] == 0 && bp[f + 1] == 0;
        if (isolated) {
            ps += middlegame ? 8 : 20;
        } else if (br[f - 1] < r && br[f + 1] < r) {
            ps += 10;
            if (wp[f] == 0)
                ps += 15;
        }
        if (bp[f] > 1)
            ps += 4 * bp[f] - 4;
        if (r <= wr[f] && r <= wr[f - 1] && r <= wr[f + 1]) {
            if (middlegame) {
                ps -= 12 * (7 - r);
            } else {
                ps -= 20 * (7 - r);
                if (s - 8 >= 0 && board[s - 8] != EMPTY)
                    ps += 25;
            }
            if (!isolated) {
                ps -= 25;
                if (br[f + 1] - r == 1 || br[f - 1] - r == 1)
                    ps -= 30;
            }
        }
    }

    const Square wk = position.white_king, bk = position.black_king;
    // Queens, endgame only.
    if (!middlegame) {
        for (Square s : white_queens)
            if (s / 8 == 6 && bk / 8 == 7)
                ps += 50;
        for (Square s : black_queens)
            if (s / 8 == 1 && wk / 8 == 0)
                ps -= 50;
    }

    // Rooks.
    for (Square s : white_rooks) {
        const int f = s % 8 + 1;
        if (middlegame && s == 7 && (wk == 5 || wk == 6))
            ps -= 45;
        if (s / 8 == 6) {
            if (middlegame)
                ps += 20;
            else
                ps += bk / 8 == 7 ? 60 : 10;
        }
        if (wp[f] == 0)
            ps += bp[f] == 0 ? 25 : 20;
    }
    for (Square s : black_rooks) {
        const int f = s % 8 + 1;
        if (middlegame && s == 63 && (bk == 61 || bk == 62))
            ps += 45;
        if (s / 8 == 1) {
            if (middlegame)
                ps -= 20;
            else
                ps -= wk / 8 == 0 ? 60 : 10;
        }
        if (bp[f] == 0)
            ps -= wp[f] == 0 ? 25 : 20;
    }

    // Knight outposts.
    for (Square s : white_knights) {
        const int f = s % 8 + 1, r = s / 8;
        if (r < 6 && board[s + 8] == BLACK_PAWN && br[f - 1] <= r && br[f + 1] <= r)
            ps += (f == 3 || f == 4) ? 32 : 20;
    }
    for (Square s : black_knights) {
        const int f = s % 8 + 1, r = s / 8;
        if (r > 1 && board[s - 8] == WHITE_PAWN && wr[f - 1] >= r && wr[f + 1] >= r)
            ps -= (f == 3 || f == 4) ? 32 : 20;
    }

    // Kings.
    if (middlegame) {
        const int f = wk % 8 + 1, r = wk / 8;
        ps += WHITE_KING_MIDDLEGAME_TABLE[wk];
        if (wp[f] == 0)
            ps -= 40;
        if (bp[f] == 0)
            ps -= 40;
        ps += r < wr[f] && wp[f] != 0 ? 4 * (r - wr[f]) + 4 : -12;
        ps += r < wr[f + 1] && wp[f + 1] != 0 ? 3 * (r - wr[f + 1]) + 3 : -12;
        ps += r < wr[f - 1] && wp[f - 1] != 0 ? 3 * (r - wr[f - 1]) + 3 : -12;

        const int g = bk % 8 + 1, q = bk / 8;
        ps -= BLACK_KING_MIDDLEGAME_TABLE[bk];
        if (bp[g] == 0)
            ps += 40;
        if (wp[g] == 0)
            ps += 40;
        ps += q > br[g] && bp[g] != 0 ? 4 * (q - br[g]) - 4 : 12;
        ps += q > br[g + 1] && bp[g + 1] != 0 ? 3 * (q - br[g + 1]) - 3 : 12;
        ps += q > br[g - 1] && bp[g - 1] != 0 ? 3 * (q - br[g - 1]) - 3 : 12;
    } else {
        ps += KING_ENDGAME_TABLE[wk] - KING_ENDGAME_TABLE[bk];
    }

    piece_count = int32_t(white_knights.size() + black_knights.size() + white_rooks.size() + black_rooks.size() +
                          white_queens.size() + black_queens.size()) +
                  white_bishops + black_bishops;
    counted = true;
    const int32_t score = mw - mb + ps;
    return position.turn == 0 ? score : -score;
}

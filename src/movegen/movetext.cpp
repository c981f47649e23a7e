// Coordinate move text (e2e4, e1g1, e7e8q): written from a move word, and read by matching the
// text against the moves the generator lists.
#include "movegen/movegen.h"

namespace {

constexpr char PROMOTION_LETTERS[8] = {0, 0, 0, 0, 'q', 'r', 'b', 'n'};  // [move kind]

}  // namespace

void move_to_text(Move move, char text[6])
{
    const Square from = from_of(move), to = to_of(move);
    text[0] = char('a' + file_of(from));
    text[1] = char('1' + rank_of(from));
    text[2] = char('a' + file_of(to));
    text[3] = char('1' + rank_of(to));
    const int kind = kind_of_move(move);
    text[4] = kind < 8 ? PROMOTION_LETTERS[kind] : 0;
    text[5] = 0;
}

Move text_to_move(const char* text)
{
    for (int i = 0; i < 4; ++i)
        if (text[i] == '\0')
            return 0;  // too short to name a move; nothing beyond its end is read
    MoveList list;
    generate_moves(list);
    for (int i = 0; i < list.count; ++i) {
        char own[6];
        move_to_text(list.moves[i], own);
        if (text[0] != own[0] || text[1] != own[1] || text[2] != own[2] || text[3] != own[3])
            continue;
        if (own[4] != 0 && text[4] != own[4])
            continue;  // a promotion must name its piece in lower case
        return list.moves[i];
    }
    return 0;
}

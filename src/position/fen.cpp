// Reading a position from FEN text, and the board print of "print" and "test".
#include "position/position.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// A half-move clock beyond this is as drawn as any other; the cap keeps the counter, which
// every quiet move raises, far from overflow.
constexpr int32_t FIFTY_CAP = 1000000000;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The square a pawn passed over may be captured onto only if it is empty and that pawn stands
// right in front of it. Anything else would let an en-passant capture remove the wrong piece,
// so such a square is taken as none.
Square checked_ep_square(char file_letter, char rank_digit)
{
    int file = file_letter - 'a', rank = rank_digit - '1';
    if (file < 0 || file > 7 || rank < 0 || rank > 7)
        return 0;
    Square sq = square_of(file, rank);
    if (position.board[sq] != EMPTY)
        return 0;
    if (position.turn == 0 && rank == 5 && position.board[sq - 8] == BLACK_PAWN)
        return sq;
    if (position.turn == 1 && rank == 2 && position.board[sq + 8] == WHITE_PAWN)
        return sq;
    return 0;
}

// The fields are read in order, each by its own step, which returns where the text goes on, or
// nullptr where it has ended. A FEN cut short leaves the fields it did not reach as the reset
// left them (empty squares, no castling, no en passant, clock 0) and the side to move as it was.

// Rank 8 first, files a to h; one character, whatever it is, between two ranks.
const char* read_placement(const char* c)
{
    Position& p = position;
    for (int rank = 7; rank >= 0; --rank) {
        int file = 0;
        while (file < 8) {
            if (*c == '\0')
                return nullptr;
            const char ch = *c++;
            if (ch >= '1' && ch <= '8') {
                // Squares are addressed as (rank << 3) | file: a run past the h-file empties
                // squares elsewhere on the board, never outside it.
                for (int n = ch - '0'; n > 0; --n, ++file)
                    p.board[(rank << 3) | file] = EMPTY;
                continue;
            }
            const Square sq = square_of(file, rank);
            const Piece piece = piece_of_char(static_cast<unsigned char>(ch));
            p.board[sq] = piece;
            if (piece == WHITE_KING)
                p.white_king = sq;
            else if (piece == BLACK_KING)
                p.black_king = sq;
            ++file;
        }
        if (rank > 0) {
            if (*c == '\0')
                return nullptr;
            ++c;  // the rank separator, whatever it is
        }
    }
    return c;
}

// Passes the one character before a field; nullptr when the text ends there or right after.
const char* next_field(const char* c)
{
    if (*c == '\0' || *++c == '\0')
        return nullptr;
    return c;
}

// "w" or "b"; any other letter leaves the side to move as it was.
const char* read_side(const char* c)
{
    if (*c == 'b')
        position.turn = 1;
    else if (*c == 'w')
        position.turn = 0;
    return c + 1;
}

// "-", or the letters of "KQkq" that apply, in that order. A right is taken only where its king
// and rook stand at home.
const char* read_castling(const char* c)
{
    Position& p = position;
    if (*c == '-')
        return c + 1;
    const bool white_home = p.board[E1] == WHITE_KING, black_home = p.board[E8] == BLACK_KING;
    const struct {
        char letter;
        bool king_home;
        Square corner;
        Piece rook;
        uint8_t right;
    } rights[] = {{'K', white_home, H1, WHITE_ROOK, CASTLE_WK},
                  {'Q', white_home, A1, WHITE_ROOK, CASTLE_WQ},
                  {'k', black_home, H8, BLACK_ROOK, CASTLE_BK},
                  {'q', black_home, A8, BLACK_ROOK, CASTLE_BQ}};
    for (const auto& right : rights) {
        if (*c != right.letter)
            continue;
        ++c;
        if (right.king_home && p.board[right.corner] == right.rook)
            p.castling |= right.right;
    }
    return c;
}

// "-" or a square; nullptr when the square is cut short.
const char* read_ep_square(const char* c)
{
    if (*c == '-')
        return c + 1;
    if (c[1] == '\0')
        return nullptr;
    position.ep_square = checked_ep_square(c[0], c[1]);
    return c + 2;
}

// The half-move clock, when a blank and a digit follow; the move number is not read.
void read_fifty(const char* c)
{
    if (c[0] != ' ' || !is_digit(c[1]))
        return;
    int32_t fifty = 0;
    for (c += 1; is_digit(*c); ++c)
        fifty = fifty >= FIFTY_CAP / 10 ? FIFTY_CAP : fifty * 10 + (*c - '0');
    position.fifty = fifty;
}

void read_fields(const char* c)
{
    if (!(c = read_placement(c)) || !(c = next_field(c)))
        return;
    c = read_side(c);
    if (!(c = next_field(c)))
        return;
    c = read_castling(c);
    if (!(c = next_field(c)) || !(c = read_ep_square(c)))
        return;
    read_fifty(c);
}

}  // namespace

void load_fen(const char* fen)
{
    // The whole game is replaced; the side to move and the king squares stay unless the text
    // names them.
    clear_game();
    position.ep_square = 0;

    read_fields(fen);

    sync_bit_sets();
    start_key_history();
}

void append_text(char* line, size_t size, size_t& used, const char* format, ...)
{
    if (used + 1 >= size)
        return;
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(line + used, size - used, format, arguments);
    va_end(arguments);
    if (written > 0)
        used = std::min(used + size_t(written), size - 1);
}

void print_board()
{
    char text[512];
    size_t n = 0;
    for (int rank = 7; rank >= 0; --rank) {
        append_text(text, sizeof text, n, "%d ", rank + 1);
        for (int file = 0; file < 8; ++file) {
            char letter = piece_to_char[position.board[square_of(file, rank)]];
            append_text(text, sizeof text, n, letter ? "%c " : ". ", letter);
        }
        append_text(text, sizeof text, n, "\n");
    }
    append_text(text, sizeof text, n,
                "\n  a b c d e f g h \nturn: %c\nply:%d * root_ply:%d * fifty:%d\nhash numder: %" PRIu64 "\n",
                position.turn == 0 ? 'W' : 'B', position.ply, position.root_ply, position.fifty, position.hash_key);
    std::printf("%s", text);
}

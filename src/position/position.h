// The one global position, the encodings every subsystem shares, and the operations on the
// position: FEN and board print, make/unmake, keys and key history, attack tests, move text.
#pragma once
#include <array>
#include <cstdint>

// Square: a1 = 0, b1 = 1, ..., h8 = 63; file = square & 7, rank = square >> 3.
using Square = int32_t;
// Piece: a colour bit OR a kind bit; 0 is an empty square.
using Piece = int32_t;
// Move: bits 0-5 from, 6-11 to, 12-19 kind. 0 is "no move": from == to == a1.
using Move = int32_t;

// clang-format off
constexpr Piece EMPTY  = 0;
constexpr Piece WHITE  = 1;
constexpr Piece BLACK  = 2;
constexpr Piece PAWN   = 4;
constexpr Piece KNIGHT = 8;
constexpr Piece KING   = 16;
constexpr Piece BISHOP = 32;
constexpr Piece ROOK   = 64;
constexpr Piece QUEEN  = 128;

constexpr Piece WHITE_PAWN   = WHITE | PAWN,   BLACK_PAWN   = BLACK | PAWN;
constexpr Piece WHITE_KNIGHT = WHITE | KNIGHT, BLACK_KNIGHT = BLACK | KNIGHT;
constexpr Piece WHITE_KING   = WHITE | KING,   BLACK_KING   = BLACK | KING;
constexpr Piece WHITE_BISHOP = WHITE | BISHOP, BLACK_BISHOP = BLACK | BISHOP;
constexpr Piece WHITE_ROOK   = WHITE | ROOK,   BLACK_ROOK   = BLACK | ROOK;
constexpr Piece WHITE_QUEEN  = WHITE | QUEEN,  BLACK_QUEEN  = BLACK | QUEEN;
// clang-format on

// Every table indexed by a piece code covers the codes 0..130.
constexpr int PIECE_CODES = 131;
// The piece letters run up to 'r'; every character beyond reads as an empty square.
constexpr int PIECE_LETTERS = 115;

// clang-format off
enum MoveKind : int32_t {
    MOVE_NORMAL          = 0,  // quiet moves and captures
    MOVE_CASTLING        = 1,  // written as the king's move; the rook follows from the to-square
    MOVE_EN_PASSANT      = 2,
    MOVE_DOUBLE_PUSH     = 3,
    MOVE_PROMOTE_QUEEN   = 4,
    MOVE_PROMOTE_ROOK    = 5,
    MOVE_PROMOTE_BISHOP  = 6,
    MOVE_PROMOTE_KNIGHT  = 7,
};
// clang-format on

constexpr uint8_t CASTLE_WK = 1;
constexpr uint8_t CASTLE_WQ = 2;
constexpr uint8_t CASTLE_BK = 4;
constexpr uint8_t CASTLE_BQ = 8;

constexpr Square A1 = 0, B1 = 1, C1 = 2, D1 = 3, E1 = 4, F1 = 5, G1 = 6, H1 = 7;
constexpr Square A8 = 56, B8 = 57, C8 = 58, D8 = 59, E8 = 60, F8 = 61, G8 = 62, H8 = 63;

// clang-format off
constexpr Move WHITE_CASTLE_KING_SIDE  = 0x1184;  // e1g1
constexpr Move WHITE_CASTLE_QUEEN_SIDE = 0x1084;  // e1c1
constexpr Move BLACK_CASTLE_KING_SIDE  = 0x1fbc;  // e8g8
constexpr Move BLACK_CASTLE_QUEEN_SIDE = 0x1ebc;  // e8c8
// clang-format on

// Plies of the move and undo stacks: the searches make no move beyond ply 127.
constexpr int MAX_PLY = 128;
constexpr int KEY_HISTORY_SIZE = 1000;

// Room in a full move list. No legal game position has more than 218 moves, but a FEN may
// set up far more; the generators stop adding pieces' moves once fewer than
// MOVES_PER_PIECE_LIMIT free places remain, so a list is never written past its end.
constexpr int MAX_MOVES = 320;
constexpr int MOVES_PER_PIECE_LIMIT = 28;  // a queen has at most 27 moves, a pawn 12, a king 10

struct MoveList {
    Move moves[MAX_MOVES];
    int32_t count;
};

constexpr Square square_of(int file, int rank) { return (rank << 3) | file; }
constexpr int file_of(Square sq) { return sq & 7; }
constexpr int rank_of(Square sq) { return sq >> 3; }
constexpr int colour_of(Piece piece) { return piece & 3; }
constexpr int kind_of(Piece piece) { return piece & ~3; }
constexpr uint64_t bit_of(Square sq) { return uint64_t(1) << sq; }
constexpr uint64_t A_FILE = 0x0101010101010101ull, H_FILE = 0x8080808080808080ull;  // as bit sets

constexpr Square from_of(Move move) { return move & 63; }
constexpr Square to_of(Move move) { return (move >> 6) & 63; }
constexpr int kind_of_move(Move move) { return (move >> 12) & 255; }
constexpr Move make_move_word(Square from, Square to, int kind) { return from | (to << 6) | (kind << 12); }
constexpr bool is_promotion(Move move)
{
    return kind_of_move(move) >= MOVE_PROMOTE_QUEEN && kind_of_move(move) <= MOVE_PROMOTE_KNIGHT;
}

// What make saves and unmake restores, besides the board squares that unmake recomputes from
// the move itself.
struct UndoRecord {
    Piece captured;  // what stood on the to-square (0 for quiet moves, castling, en passant)
    Square ep_square;
    int32_t fifty;
    Square white_king;
    Square black_king;
    uint8_t castling;
    uint64_t key;              // the position's key before the move
    int32_t piece_square_sum;  // the position's piece-square sum before the move
};

struct Position {
    Piece board[64];  // [square]
    Square white_king;
    Square black_king;
    uint8_t turn;      // 0 white to move, 1 black
    uint8_t castling;  // CASTLE_* bits
    Square ep_square;  // square passed over by the last double push; 0 for none
    int32_t fifty;     // half-moves since the last capture or pawn move
    int32_t ply;       // moves made and not yet unmade: the next free stack entry
    int32_t root_ply;  // entries of key_history in use
    Move move_stack[MAX_PLY];
    UndoRecord undo_stack[MAX_PLY];
    uint64_t hash_key;  // key of the loaded position, or of the root move being searched
    uint64_t key_history[KEY_HISTORY_SIZE];
    int32_t piece_count;  // knights, bishops, rooks and queens, as the last evaluation saw them

    // The board again as bit sets, kept in step by every operation that writes the board, so
    // that attack tests, keys and the evaluation visit occupied squares only.
    uint64_t occupied;
    uint64_t pieces[PIECE_CODES];  // [piece code] squares holding that piece

    // The key of the position, always equal to compute_key(): make and the null move update it
    // by the squares and rights they change, unmake restores it, and sync_bit_sets recomputes
    // it. The table reads it here instead of hashing the whole board at every probe and store.
    uint64_t key;

    // The knight, bishop and queen table values of the evaluation, White's minus Black's,
    // kept in step by make and unmake like the key (sync_bit_sets recomputes it). The
    // evaluation reads it instead of summing the tables over the pieces at every node.
    int32_t piece_square_sum;
};

extern Position position;

// [piece code][square]: what a piece adds to piece_square_sum (negative for Black, zero for
// the pieces whose tables the evaluation reads elsewhere). Defined with the evaluation's
// tables, constant from start-up.
using PieceSquareValues = std::array<std::array<int32_t, 64>, PIECE_CODES>;
extern const PieceSquareValues piece_square_values;
int32_t compute_piece_square_sum();

// Piece tables, filled once by init_piece_tables.
extern Piece char_to_piece[PIECE_LETTERS];
extern char piece_to_char[PIECE_CODES];
extern int32_t piece_value[PIECE_CODES];
void init_piece_tables();

// The piece code a character stands for in a FEN: 0 for anything but the twelve letters.
inline Piece piece_of_char(unsigned char c) { return c < PIECE_LETTERS ? char_to_piece[c] : EMPTY; }

extern const char START_FEN[];
extern const char TEST_FEN[];

// FEN and board print.
void load_fen(const char* fen);
void print_board();
// Rebuilds the bit sets and the key from the board after the board was written square by
// square (or the side to move, castling rights or en-passant square were set by hand).
void sync_bit_sets();
// Empties the board and the game state, as "ucinewgame" does.
void clear_game();

// Random keys and hashing.
extern uint64_t piece_square_keys[PIECE_CODES][64];  // [piece code][square]
extern uint64_t ep_keys[64];                         // [square]
extern uint64_t castling_keys[16];                   // [castling rights]
extern uint64_t white_to_move_key;
void init_keys();
uint64_t compute_key();
// Appends a game position's key, dropping the oldest key when the history is full (only the
// most recent positions can be repeated: the repetition window never reaches further back
// than the last capture or pawn move).
void append_key_history(uint64_t key);

// Make and unmake (make_move, unmake_move, make_capture, unmake_capture) are in make.h and
// the attack tests on the kings (in_check, move_was_legal) in attacks.h, both included below
// so that the hot paths inline everywhere.

// Move text and game moves.
void move_to_text(Move move, char text[6]);
Move text_to_move(const char* text);
void play_game_move(Move move);

// Do the bit sets match the board, and are the counters inside their stacks? Used by tests
// and debug checks.
bool position_is_consistent();

#include "position/attacks.h"
#include "position/make.h"

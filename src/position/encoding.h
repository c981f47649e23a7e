// The encodings every subsystem shares: squares, pieces, moves and their kinds, castling
// rights, the move list, and the fixed capacities. Constant definitions only, so that the
// evaluation's constant tables can be written in them too (eval/piece_square_values.h).
#pragma once
#include <bit>
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

// A side: what position.turn holds (0 White to move, 1 Black), and the index of every
// per-side array. A piece code carries its colour as a bit instead (WHITE 1, BLACK 2):
// colour_bit turns a side into that bit.
constexpr int WHITE_SIDE = 0, BLACK_SIDE = 1;
constexpr Piece colour_bit(int side) { return side == WHITE_SIDE ? WHITE : BLACK; }

// What each kind of piece is worth, in centipawns: the evaluation counts the material by these
// values, and move ordering weighs victims and attackers by them (piece_value). Only ordering
// gives the king one, so that taking with the king sorts last.
constexpr int32_t PAWN_VALUE = 100, KNIGHT_VALUE = 325, BISHOP_VALUE = 325, ROOK_VALUE = 520, QUEEN_VALUE = 980;
constexpr int32_t KING_ORDERING_VALUE = 16000;

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
// The lowest and the highest square of a bit set that is not empty, and its number of squares.
constexpr Square lowest_square(uint64_t bits) { return std::countr_zero(bits); }
constexpr Square highest_square(uint64_t bits) { return 63 - std::countl_zero(bits); }
constexpr int square_count(uint64_t bits) { return std::popcount(bits); }
constexpr uint64_t A_FILE = 0x0101010101010101ull, H_FILE = 0x8080808080808080ull;  // as bit sets

constexpr Square from_of(Move move) { return move & 63; }
constexpr Square to_of(Move move) { return (move >> 6) & 63; }
constexpr int kind_of_move(Move move) { return (move >> 12) & 255; }
constexpr Move make_move_word(Square from, Square to, int kind) { return from | (to << 6) | (kind << 12); }
constexpr bool is_promotion(Move move)
{
    return kind_of_move(move) >= MOVE_PROMOTE_QUEEN && kind_of_move(move) <= MOVE_PROMOTE_KNIGHT;
}

// Make and unmake, inline: they run at every node of the search and of perft. position.h
// includes this header, so every user of the position has them.
#pragma once
#include <array>
#include <cassert>
#include <cstdint>

#include "eval/piece_square_values.h"  // the one header of eval/ that position/ may include
#include "position/position.h"

namespace make_detail {

// Rights kept when a piece moves from (or to) a square: the king's home clears both of its
// side's rights, a corner clears the right of the rook that belongs there.
constexpr std::array<uint8_t, 64> castling_masks(bool from_square)
{
    std::array<uint8_t, 64> masks{};
    for (auto& m : masks)
        m = 0xFF;
    if (from_square) {
        masks[E1] = 0xFC;
        masks[E8] = 0xF3;
    }
    masks[A1] = 0xFD;
    masks[H1] = 0xFE;
    masks[A8] = 0xF7;
    masks[H8] = 0xFB;
    return masks;
}
inline constexpr std::array<uint8_t, 64> CASTLING_KEPT_FROM = castling_masks(true);
inline constexpr std::array<uint8_t, 64> CASTLING_KEPT_TO = castling_masks(false);

// Promotion kinds 4..7 give queen, rook, bishop, knight; index [kind - 4][turn].
inline constexpr Piece PROMOTED_PIECE[4][2] = {
    {WHITE_QUEEN, BLACK_QUEEN}, {WHITE_ROOK, BLACK_ROOK}, {WHITE_BISHOP, BLACK_BISHOP}, {WHITE_KNIGHT, BLACK_KNIGHT}};

inline void put_piece(Square sq, Piece piece)
{
    position.board[sq] = piece;
    position.pieces[piece] |= bit_of(sq);
    position.occupied |= bit_of(sq);
}

inline void take_piece(Square sq)
{
    position.pieces[position.board[sq]] &= ~bit_of(sq);
    position.occupied &= ~bit_of(sq);
    position.board[sq] = EMPTY;
}

// The rook that castling moves, found from the king's to-square alone; rook 0 for any other
// square.
struct CastlingRook {
    Square from, to;
    Piece rook;
};
constexpr CastlingRook castling_rook_of(Square king_to)
{
    switch (king_to) {
    case C1: return {A1, D1, WHITE_ROOK};
    case G1: return {H1, F1, WHITE_ROOK};
    case C8: return {A8, D8, BLACK_ROOK};
    case G8: return {H8, F8, BLACK_ROOK};
    default: return {0, 0, EMPTY};
    }
}

// Moves the castling rook (or takes it back) and returns the change of the key, which is the
// same either way.
inline uint64_t move_castling_rook(Square king_to, bool undo)
{
    const CastlingRook r = castling_rook_of(king_to);
    if (r.rook == EMPTY)
        return 0;
    take_piece(undo ? r.to : r.from);
    put_piece(undo ? r.from : r.to, r.rook);
    return piece_square_keys[r.rook][r.from] ^ piece_square_keys[r.rook][r.to];
}

// Debug builds check the key after every make and unmake: the key must change exactly as
// compute_key's result changes. (A test may set up a position by hand without its key; the
// difference it leaves must then stay the same.)
#ifndef NDEBUG
inline uint64_t key_error() { return position.current_key ^ compute_key(); }
inline EvalSums sum_error() { return position.eval_sums - compute_eval_sums(); }
#define KORVANE_KEY_ERROR_BEFORE()                                                                                     \
    const uint64_t key_error_before = make_detail::key_error();                                                        \
    const EvalSums sum_error_before = make_detail::sum_error()
#define KORVANE_CHECK_KEY()                                                                                            \
    assert(make_detail::key_error() == key_error_before && "key out of step with the board");                          \
    assert(make_detail::sum_error() == sum_error_before && "evaluation sums out of step with the board")
#else
#define KORVANE_KEY_ERROR_BEFORE() (void)0
#define KORVANE_CHECK_KEY() (void)0
#endif

// The square straight behind a pawn's to-square, seen from the side to move: where a pawn taken
// en passant stands, and the square a double push passes over.
inline Square square_behind(Square to, uint8_t turn) { return turn == WHITE_SIDE ? to - 8 : to + 8; }

// The key arithmetic of a move, the one place make and key_after share. A move changes the
// key by three parts: the side to move changes and any en-passant square lapses; castling
// rights it takes away leave (no key stands for "no rights left"); and the pieces: the mover
// leaves its square, the placed piece (the promoted one, or the mover) arrives, and a captured
// piece on the to-square goes. Its kind may add one more: the castling rook, the pawn taken en
// passant, or a double push's new en-passant square.
inline void change_turn_keys(uint64_t& key, Square ep_square)
{
    key ^= white_to_move_key;
    if (ep_square)
        key ^= ep_keys[ep_square];
}

// The rights a move keeps: those of the king and rooks it does not move or take.
inline uint8_t kept_castling(uint8_t rights, Square from, Square to)
{
    return rights & CASTLING_KEPT_FROM[from] & CASTLING_KEPT_TO[to];
}
inline void change_castling_keys(uint64_t& key, uint8_t rights, uint8_t kept)
{
    key ^= castling_keys[rights];
    if (kept)
        key ^= castling_keys[kept];
}

inline void change_piece_keys(uint64_t& key, Piece mover, Square from, Piece placed, Square to, Piece captured)
{
    key ^= piece_square_keys[mover][from] ^ piece_square_keys[placed][to];
    if (captured != EMPTY)
        key ^= piece_square_keys[captured][to];
}

// The key the position will have once move is made, computed without making it (the search
// starts loading the table slot of a move it will try next). Debug builds check it against
// every make. Any move word may be given (the table's move is not matched against the list
// first): the squares it derives are kept on the board, and a move of another position only
// gives a key of no use.
inline uint64_t key_after(Move move)
{
    const Position& p = position;
    const Square from = from_of(move), to = to_of(move);
    const int kind = kind_of_move(move);
    const Piece mover = p.board[from];
    uint64_t key = p.current_key;
    change_turn_keys(key, p.ep_square);
    Piece placed = mover;
    switch (kind) {
    case MOVE_CASTLING: {
        const CastlingRook r = castling_rook_of(to);
        if (r.rook != EMPTY)
            key ^= piece_square_keys[r.rook][r.from] ^ piece_square_keys[r.rook][r.to];
        break;
    }
    case MOVE_EN_PASSANT: {
        const Square taken = square_behind(to, p.turn) & 63;
        key ^= piece_square_keys[p.board[taken]][taken];
        break;
    }
    case MOVE_DOUBLE_PUSH: key ^= ep_keys[square_behind(to, p.turn) & 63]; break;
    case MOVE_PROMOTE_QUEEN:
    case MOVE_PROMOTE_ROOK:
    case MOVE_PROMOTE_BISHOP:
    case MOVE_PROMOTE_KNIGHT: placed = PROMOTED_PIECE[kind - MOVE_PROMOTE_QUEEN][p.turn]; break;
    default: break;
    }
    if (p.castling) {
        const uint8_t kept = kept_castling(p.castling, from, to);
        if (kept != p.castling)
            change_castling_keys(key, p.castling, kept);
    }
    change_piece_keys(key, mover, from, placed, to, p.board[to]);
    return key;
}

template <bool ALL_KINDS>
inline void make(Move move)
{
    Position& p = position;
    const Square from = from_of(move), to = to_of(move);
    const int kind = kind_of_move(move);
    const Piece mover = p.board[from];
    const Piece captured = p.board[to];
    KORVANE_KEY_ERROR_BEFORE();
#ifndef NDEBUG
    const uint64_t predicted_key = ALL_KINDS ? key_after(move) : p.current_key;
#endif

    p.move_stack[p.ply] = move;
    p.undo_stack[p.ply] =
        UndoRecord{captured, p.ep_square, p.fifty, p.white_king, p.black_king, p.castling, p.current_key, p.eval_sums};
    p.ply += 1;
    uint64_t key = p.current_key;
    change_turn_keys(key, p.ep_square);
    p.ep_square = 0;

    if (mover == WHITE_KING)
        p.white_king = to;
    else if (mover == BLACK_KING)
        p.black_king = to;

    Piece placed = mover;
    if (kind != MOVE_NORMAL) {
        if (ALL_KINDS && kind == MOVE_CASTLING) {
            key ^= move_castling_rook(to, false);
        } else if (kind == MOVE_EN_PASSANT) {
            const Square taken = square_behind(to, p.turn);
            key ^= piece_square_keys[p.board[taken]][taken];
            p.eval_sums -= eval_sum_shares[p.board[taken]][taken];
            take_piece(taken);
        } else if (ALL_KINDS && kind == MOVE_DOUBLE_PUSH) {
            p.ep_square = square_behind(to, p.turn);
            key ^= ep_keys[p.ep_square];
        } else if (kind >= MOVE_PROMOTE_QUEEN && kind <= MOVE_PROMOTE_KNIGHT) {
            placed = PROMOTED_PIECE[kind - MOVE_PROMOTE_QUEEN][p.turn];
        }
    }

    if (p.castling) {
        const uint8_t kept = kept_castling(p.castling, from, to);
        if (kept != p.castling) {
            change_castling_keys(key, p.castling, kept);
            p.castling = kept;
        }
    }

    if (kind_of(mover) == PAWN || captured != EMPTY)
        p.fifty = 0;
    else
        p.fifty += 1;

    change_piece_keys(key, mover, from, placed, to, captured);
    p.current_key = key;
    p.eval_sums += eval_sum_shares[placed][to] - eval_sum_shares[mover][from] - eval_sum_shares[captured][to];

    const uint64_t from_bit = bit_of(from), to_bit = bit_of(to);
    p.pieces[mover] ^= from_bit;
    p.pieces[captured] &= ~to_bit;  // captured is 0 for a quiet move: pieces[0] stays empty
    p.pieces[placed] |= to_bit;
    p.occupied = (p.occupied & ~from_bit) | to_bit;
    p.board[to] = placed;
    p.board[from] = EMPTY;
    p.turn ^= 1;
    KORVANE_CHECK_KEY();
    assert((!ALL_KINDS || p.current_key == predicted_key) && "key_after disagrees with make");
}

template <bool ALL_KINDS>
inline void unmake()
{
    Position& p = position;
    KORVANE_KEY_ERROR_BEFORE();
    p.ply -= 1;
    const Move move = p.move_stack[p.ply];
    const UndoRecord& u = p.undo_stack[p.ply];
    const Square from = from_of(move), to = to_of(move);
    const int kind = kind_of_move(move);

    p.castling = u.castling;
    p.ep_square = u.ep_square;
    p.fifty = u.fifty;
    p.current_key = u.key;
    p.eval_sums = u.eval_sums;
    p.turn ^= 1;

    const uint64_t from_bit = bit_of(from), to_bit = bit_of(to);
    Piece placed = p.board[to];
    Piece mover = placed;
    if (kind != MOVE_NORMAL) {
        if (ALL_KINDS && kind == MOVE_CASTLING)
            move_castling_rook(to, true);
        else if (kind == MOVE_EN_PASSANT)
            put_piece(square_behind(to, p.turn), p.turn == WHITE_SIDE ? BLACK_PAWN : WHITE_PAWN);
        else if (kind >= MOVE_PROMOTE_QUEEN && kind <= MOVE_PROMOTE_KNIGHT)
            mover = p.turn == WHITE_SIDE ? WHITE_PAWN : BLACK_PAWN;
    }

    p.pieces[placed] &= ~to_bit;
    p.pieces[mover] |= from_bit;
    p.pieces[u.captured] |= to_bit;
    p.pieces[EMPTY] = 0;
    p.occupied = (p.occupied & ~to_bit) | from_bit | (u.captured != EMPTY ? to_bit : 0);
    p.board[from] = mover;
    p.board[to] = u.captured;
    p.white_king = u.white_king;
    p.black_king = u.black_king;
    KORVANE_CHECK_KEY();
}

}  // namespace make_detail

using make_detail::key_after;

inline void make_move(Move move) { make_detail::make<true>(move); }
inline void unmake_move() { make_detail::unmake<true>(); }
// The lighter pair of the quiescence search: its moves are captures, en-passant captures
// and promotions, never castling or double pushes.
inline void make_capture(Move move) { make_detail::make<false>(move); }
inline void unmake_capture() { make_detail::unmake<false>(); }

// The null move: the side to move passes, and there is no en-passant square afterwards. The
// half-move counter restarts, so that the reduced search behind it never meets the fifty-move
// rule. Nothing is pushed on the stacks: the caller keeps the record and hands it back.
struct NullMoveUndo {
    Square ep_square;
    int32_t fifty;
    uint64_t key;
};

inline NullMoveUndo make_null_move()
{
    Position& p = position;
    KORVANE_KEY_ERROR_BEFORE();
    const NullMoveUndo undo{p.ep_square, p.fifty, p.current_key};
    p.current_key ^= white_to_move_key;
    if (p.ep_square)
        p.current_key ^= ep_keys[p.ep_square];
    p.turn ^= 1;
    p.ep_square = 0;
    p.fifty = 0;
    KORVANE_CHECK_KEY();
    return undo;
}

inline void unmake_null_move(const NullMoveUndo& undo)
{
    Position& p = position;
    KORVANE_KEY_ERROR_BEFORE();
    p.turn ^= 1;
    p.ep_square = undo.ep_square;
    p.fifty = undo.fifty;
    p.current_key = undo.key;
    KORVANE_CHECK_KEY();
}

// Make and unmake, inline: they run at every node of the search and of perft.
// Included by position.h; not to be included on its own.
#pragma once

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

// The castling rook's move, decided by the king's to-square alone.
inline void move_castling_rook(Square king_to, bool undo)
{
    Square rook_from, rook_to;
    Piece rook;
    switch (king_to) {
    case C1:
        rook_from = A1;
        rook_to = D1;
        rook = WHITE_ROOK;
        break;
    case G1:
        rook_from = H1;
        rook_to = F1;
        rook = WHITE_ROOK;
        break;
    case C8:
        rook_from = A8;
        rook_to = D8;
        rook = BLACK_ROOK;
        break;
    case G8:
        rook_from = H8;
        rook_to = F8;
        rook = BLACK_ROOK;
        break;
    default: return;
    }
    if (undo) {
        take_piece(rook_to);
        put_piece(rook_from, rook);
    } else {
        take_piece(rook_from);
        put_piece(rook_to, rook);
    }
}

template <bool ALL_KINDS>
inline void make(Move move)
{
    Position& p = position;
    const Square from = from_of(move), to = to_of(move);
    const int kind = kind_of_move(move);
    const Piece mover = p.board[from];
    const Piece captured = p.board[to];

    p.move_stack[p.ply] = move;
    p.undo_stack[p.ply] = UndoRecord{captured, p.ep_square, p.fifty, p.white_king, p.black_king, p.castling};
    p.ply += 1;
    p.ep_square = 0;

    if (mover == WHITE_KING)
        p.white_king = to;
    else if (mover == BLACK_KING)
        p.black_king = to;

    Piece placed = mover;
    if (kind != MOVE_NORMAL) {
        if (ALL_KINDS && kind == MOVE_CASTLING)
            move_castling_rook(to, false);
        else if (kind == MOVE_EN_PASSANT)
            take_piece(p.turn == 0 ? to - 8 : to + 8);
        else if (ALL_KINDS && kind == MOVE_DOUBLE_PUSH)
            p.ep_square = p.turn == 0 ? to - 8 : to + 8;
        else if (kind >= MOVE_PROMOTE_QUEEN && kind <= MOVE_PROMOTE_KNIGHT)
            placed = PROMOTED_PIECE[kind - MOVE_PROMOTE_QUEEN][p.turn];
    }

    if (p.castling)
        p.castling &= CASTLING_KEPT_FROM[from] & CASTLING_KEPT_TO[to];

    if (kind_of(mover) == PAWN || captured != EMPTY)
        p.fifty = 0;
    else
        p.fifty += 1;

    const uint64_t from_bit = bit_of(from), to_bit = bit_of(to);
    p.pieces[mover] ^= from_bit;
    p.pieces[captured] &= ~to_bit;  // captured is 0 for a quiet move: pieces[0] stays empty
    p.pieces[placed] |= to_bit;
    p.occupied = (p.occupied & ~from_bit) | to_bit;
    p.board[to] = placed;
    p.board[from] = EMPTY;
    p.turn ^= 1;
}

template <bool ALL_KINDS>
inline void unmake()
{
    Position& p = position;
    p.ply -= 1;
    const Move move = p.move_stack[p.ply];
    const UndoRecord& u = p.undo_stack[p.ply];
    const Square from = from_of(move), to = to_of(move);
    const int kind = kind_of_move(move);

    p.castling = u.castling;
    p.ep_square = u.ep_square;
    p.fifty = u.fifty;
    p.turn ^= 1;

    const uint64_t from_bit = bit_of(from), to_bit = bit_of(to);
    Piece placed = p.board[to];
    Piece mover = placed;
    if (kind != MOVE_NORMAL) {
        if (ALL_KINDS && kind == MOVE_CASTLING)
            move_castling_rook(to, true);
        else if (kind == MOVE_EN_PASSANT)
            put_piece(p.turn == 0 ? to - 8 : to + 8, p.turn == 0 ? BLACK_PAWN : WHITE_PAWN);
        else if (kind >= MOVE_PROMOTE_QUEEN && kind <= MOVE_PROMOTE_KNIGHT)
            mover = p.turn == 0 ? WHITE_PAWN : BLACK_PAWN;
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
}

}  // namespace make_detail

inline void make_move(Move move) { make_detail::make<true>(move); }
inline void unmake_move() { make_detail::unmake<true>(); }
// The lighter pair of the quiescence search: its moves are captures, en-passant captures
// and promotions, never castling or double pushes.
inline void make_capture(Move move) { make_detail::make<false>(move); }
inline void unmake_capture() { make_detail::unmake<false>(); }

// The global position record and the piece tables.
#include "position/position.h"

#include <cstring>

Position position;

Piece char_to_piece[PIECE_LETTERS];
char piece_to_char[PIECE_CODES];
int32_t piece_value[PIECE_CODES];

const char START_FEN[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char TEST_FEN[] = "8/3pp2k/1npbpQpp/1p6/3P4/2P3q1/1P4P1/7K w - - 0 1";

void init_piece_tables()
{
    struct Row {
        Piece piece;
        char letter;
        int32_t value;
    };
    // Values are those move ordering weighs victims and attackers by.
    constexpr Row ROWS[12] = {
        {WHITE_PAWN, 'P', PAWN_VALUE},          {BLACK_PAWN, 'p', PAWN_VALUE},
        {WHITE_KNIGHT, 'N', KNIGHT_VALUE},      {BLACK_KNIGHT, 'n', KNIGHT_VALUE},
        {WHITE_KING, 'K', KING_ORDERING_VALUE}, {BLACK_KING, 'k', KING_ORDERING_VALUE},
        {WHITE_BISHOP, 'B', BISHOP_VALUE},      {BLACK_BISHOP, 'b', BISHOP_VALUE},
        {WHITE_ROOK, 'R', ROOK_VALUE},          {BLACK_ROOK, 'r', ROOK_VALUE},
        {WHITE_QUEEN, 'Q', QUEEN_VALUE},        {BLACK_QUEEN, 'q', QUEEN_VALUE},
    };
    std::memset(char_to_piece, 0, sizeof char_to_piece);
    std::memset(piece_to_char, 0, sizeof piece_to_char);
    std::memset(piece_value, 0, sizeof piece_value);
    for (const Row& row : ROWS) {
        char_to_piece[int(row.letter)] = row.piece;
        piece_to_char[row.piece] = row.letter;
        piece_value[row.piece] = row.value;
    }
}

void sync_bit_sets()
{
    std::memset(position.pieces, 0, sizeof position.pieces);
    position.occupied = 0;
    for (Square sq = 0; sq < 64; ++sq) {
        if (position.board[sq] != EMPTY) {
            position.pieces[position.board[sq]] |= bit_of(sq);
            position.occupied |= bit_of(sq);
        }
    }
    position.current_key = compute_key();
    position.eval_sums = compute_eval_sums();
}

uint64_t compute_eval_sums()
{
    EvalSums sums = 0;
    for (Square sq = 0; sq < 64; ++sq) {
        const Piece piece = position.board[sq];
        if (piece > EMPTY && piece < PIECE_CODES)
            sums += eval_sum_shares[piece][sq];
    }
    return sums;
}

bool position_is_consistent()
{
    uint64_t occupied = 0;
    for (Square sq = 0; sq < 64; ++sq) {
        Piece piece = position.board[sq];
        if (piece < 0 || piece >= PIECE_CODES || (piece != EMPTY && piece_to_char[piece] == 0))
            return false;
        if (piece != EMPTY) {
            occupied |= bit_of(sq);
            if (!(position.pieces[piece] & bit_of(sq)))
                return false;
        }
    }
    uint64_t listed = 0;
    for (int code = 0; code < PIECE_CODES; ++code) {
        if (listed & position.pieces[code])
            return false;
        listed |= position.pieces[code];
    }
    return occupied == position.occupied && listed == occupied && position.ply >= 0 && position.ply <= MAX_PLY &&
           position.root_ply >= 0 && position.root_ply <= KEY_HISTORY_SIZE;
}

void clear_game()
{
    Position& p = position;
    std::memset(p.board, 0, sizeof p.board);
    std::memset(p.key_history, 0, sizeof p.key_history);
    std::memset(p.move_stack, 0, sizeof p.move_stack);
    p.fifty = 0;
    p.castling = 0;
    p.ply = 0;
    p.root_ply = 0;
    p.piece_count = 0;
    sync_bit_sets();
}

void init_position()
{
    init_piece_tables();
    init_keys();
}

void play_game_move(Move move)
{
    // Made like any move, then dropped from the stacks: a game move is never taken back.
    make_move(move);
    position.ply -= 1;
    position.move_stack[position.ply] = 0;
    append_key_history(compute_key());
}

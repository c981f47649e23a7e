// The one global position and the operations on it: FEN and board print, make/unmake, keys
// and key history, the attack test, game moves. The encodings every subsystem shares are in
// position/encoding.h, included here.
#pragma once
#include <cstddef>
#include <cstdint>

#include "position/encoding.h"

// What make saves and unmake restores, besides the board squares that unmake recomputes from
// the move itself.
struct UndoRecord {
    Piece captured;  // what stood on the to-square (0 for quiet moves, castling, en passant)
    Square ep_square;
    int32_t fifty;
    Square white_king;
    Square black_king;
    uint8_t castling;
    uint64_t key;        // the position's key before the move
    uint64_t eval_sums;  // the position's evaluation sums before the move
};

struct Position {
    Piece board[64];  // [square]
    Square white_king;
    Square black_king;
    uint8_t turn;      // 0 white to move, 1 black
    uint8_t castling;  // CASTLE_* bits
    Square ep_square;  // square passed over by the last double push; 0 for none
    int32_t fifty;     // the half-move clock: half-moves since the last capture or pawn move
    int32_t ply;       // moves made and not yet unmade: the next free stack entry
    int32_t root_ply;  // the key history's length: entries of key_history in use (keys.cpp)
    Move move_stack[MAX_PLY];
    UndoRecord undo_stack[MAX_PLY];
    // The root's key: that of the loaded position (start_key_history writes it), or, while the
    // root search runs, that of the position after the root move being searched (root_search
    // writes it before each move's search). Its readers are the repetition test, which compares
    // it with the game's history, and "print". current_key below is the key of the position as
    // it stands, at every node.
    uint64_t hash_key;
    uint64_t key_history[KEY_HISTORY_SIZE];
    // The knights, bishops, rooks and queens of both sides (pawns and kings are not counted) as
    // the latest evaluation saw them: a hand-off from evaluate, its one writer (every call but
    // the drawn-ending early return), to the null-move test of alpha_beta, its one reader, which
    // takes whatever the latest evaluation left, wherever in the tree that was. load_fen and
    // "ucinewgame" set it to 0.
    int32_t piece_count;

    // The board again as bit sets, kept in step by every operation that writes the board, so
    // that attack tests, keys and the evaluation visit occupied squares only.
    uint64_t occupied;
    uint64_t pieces[PIECE_CODES];  // [piece code] squares holding that piece

    // The key of the position as it stands, always equal to compute_key(): make and the null
    // move update it by the squares and rights they change, unmake restores it, and
    // sync_bit_sets recomputes it. The table reads it here instead of hashing the whole board at
    // every probe and store.
    uint64_t current_key;

    // Each side's material, the count of knights, bishops, rooks and queens, and the pawn,
    // knight, bishop and queen table values of the evaluation, White's minus Black's, packed as
    // eval/piece_square_values.h lays them out and kept in step by make and unmake like the key
    // (sync_bit_sets recomputes them). The evaluation reads them instead of counting and summing
    // over the pieces at every node.
    uint64_t eval_sums;
};

extern Position position;

uint64_t compute_eval_sums();

// Piece tables, filled once by init_piece_tables.
extern Piece char_to_piece[PIECE_LETTERS];
extern char piece_to_char[PIECE_CODES];
extern int32_t piece_value[PIECE_CODES];
void init_piece_tables();
// What every program that uses the position fills first: the piece tables and the keys.
void init_position();

// The piece code a character stands for in a FEN: 0 for anything but the twelve letters.
inline Piece piece_of_char(unsigned char c) { return c < PIECE_LETTERS ? char_to_piece[c] : EMPTY; }

extern const char START_FEN[];
extern const char TEST_FEN[];

// FEN and board print.
void load_fen(const char* fen);
void print_board();
// Formatted text added to a line being built, never past its end: used is the length written
// so far and stays below size, so that text that would not fit is cut instead of overrunning.
// The board print and the search's info lines are built with it, and printed at once.
void append_text(char* line, size_t size, size_t& used, const char* format, ...);
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
// Fills the keys from the fixed seed: the same keys in every run.
void init_keys();
uint64_t compute_key();
// The game's key history (position.key_history, root_ply entries of it in use), owned by
// keys.cpp. start_key_history: the loaded position's key becomes hash_key and the first entry,
// not yet counted. count_loaded_position: a move list follows the loaded position, which thereby
// enters the history. append_key_history: a game position's key, the oldest dropped when the
// history is full (only the most recent positions can be repeated: the repetition window never
// reaches further back than the last capture or pawn move).
void start_key_history();
void count_loaded_position();
void append_key_history(uint64_t key);

// Make and unmake (make_move, unmake_move, make_capture, unmake_capture, the null move) are in
// make.h and the attack test (square_attacked, in_check, move_was_legal) in attacks.h, both
// included at the end of this header so that the hot paths inline everywhere.

// A move played for good on the game's position: made, dropped from the stacks, and its
// position's key appended to the history. (Move text is the generator's: movegen/movegen.h.)
void play_game_move(Move move);

// Do the bit sets match the board, and are the counters inside their stacks? Used by tests
// and debug checks.
bool position_is_consistent();

#include "position/attacks.h"
#include "position/make.h"

// Random keys from a fixed seed, the key of the whole position, and the game's key history.
//
// The key history has this file as its one owner. A loaded position writes its key as the
// history's first entry without counting it (load_fen calls start_key_history); a move list
// after it counts that entry (the "position" command calls count_loaded_position) and each game
// move appends its position's key (play_game_move calls append_key_history). Without a move
// list the loaded position is therefore not part of the history the repetition test reads.
#include "position/position.h"

#include <cstring>

uint64_t piece_square_keys[PIECE_CODES][64];
uint64_t ep_keys[64];
uint64_t castling_keys[16];
uint64_t white_to_move_key;

namespace {

// A linear congruential generator handing out 15 bits per draw; fixed seed, so every run and
// every machine has the same keys.
uint32_t generator_state;

uint64_t draw()
{
    generator_state = generator_state * 214013u + 2531011u;
    return (generator_state >> 16) & 0x7FFF;
}

// Five draws per key: the low 4 bits of the first and 15 bits of each of the others.
uint64_t next_key()
{
    uint64_t key = draw();
    for (int i = 0; i < 4; ++i)
        key = (key << 15) ^ draw();
    return key;
}

}  // namespace

void init_keys()
{
    generator_state = 0;
    for (auto& row : piece_square_keys)
        for (auto& key : row)
            key = next_key();
    for (auto& key : ep_keys)
        key = next_key();
    for (auto& key : castling_keys)
        key = next_key();
    white_to_move_key = next_key();
}

uint64_t compute_key()
{
    uint64_t key = 0;
    for (uint64_t rest = position.occupied; rest; rest &= rest - 1) {
        Square sq = lowest_square(rest);
        key ^= piece_square_keys[position.board[sq]][sq];
    }
    if (position.castling)
        key ^= castling_keys[position.castling];
    if (position.ep_square)
        key ^= ep_keys[position.ep_square];
    if (position.turn == 0)
        key ^= white_to_move_key;
    return key;
}

void start_key_history()
{
    position.hash_key = compute_key();
    position.key_history[0] = position.hash_key;
}

void count_loaded_position() { position.root_ply = 1; }

void append_key_history(uint64_t key)
{
    Position& p = position;
    if (p.root_ply >= KEY_HISTORY_SIZE) {
        std::memmove(p.key_history, p.key_history + 1, sizeof(uint64_t) * (KEY_HISTORY_SIZE - 1));
        p.root_ply = KEY_HISTORY_SIZE - 1;
    }
    p.key_history[p.root_ply] = key;
    p.root_ply += 1;
}

// The engine's only window on the operating system: the millisecond clock, standard input
// read byte by byte with a non-blocking poll, and large zero-filled memory blocks.
#pragma once
#include <cstddef>
#include <cstdint>

// Makes every reply leave at once, with no flush ever needed by the caller (unbuffered output;
// on Windows, output sent before every read and poll of the input), and keeps a closed output
// pipe from killing the process.
void init_console();

// Milliseconds, wrapping modulo 2^32, counted from TICK_COUNT_AT_START when the process
// starts. Starting near zero keeps the search's unsigned deadline comparisons clear of the wrap
// for 49 days of running; starting a quarter of an hour above zero keeps a deadline set a little
// before the start (a negative budget) from wrapping below zero into the far future.
constexpr uint32_t TICK_COUNT_AT_START = 1000000;
uint32_t tick_count();

// Every byte of standard input not yet returned here is seen by input_waiting(): it is still in
// the operating system, where the poll looks, or (on Windows) in the layer's own buffer, which
// the poll counts.
// Returns the next byte (0..255), or -1 once the input has ended or failed. Never waits for a
// byte beyond the one asked for.
int read_input_byte();

// Reads a line into buffer, its newline included, or at most size - 1 characters of it, and
// ends it with a 0. A carriage return directly before the newline is dropped, so a line that
// ends in "\r\n" reads exactly as one that ends in "\n". Returns the count read: 0 when the
// input had ended.
int read_input_line(char* buffer, int size);

// Non-zero when a byte (or the end of input) can be read without blocking.
uint32_t input_waiting();

// Forgets an ended input and any byte held back, after a new descriptor was put on standard
// input (tests do this to feed the engine through a pipe of their own).
void restart_input();

// A zero-filled block taken lazily from the system (pages are zero until first written, so a
// large table costs nothing until used). Returns nullptr when the system refuses or the block
// is larger than allocation_limit_bytes.
void* allocate_zeroed(size_t bytes);
// The same for a large table read at random: asks the system to back the block with huge
// pages where it grants them (far fewer page faults when a fresh table fills, and fewer TLB
// misses on every probe), plain pages otherwise. Released by release_memory.
void* allocate_zeroed_huge(size_t bytes);
void release_memory(void* block, size_t bytes);

// Whether a fresh zero-filled block costs nothing until used, as a new mapping of the system's
// does: a table is then cleared by taking a fresh one. Where it does not (the WebAssembly heap
// never shrinks and zeroes used memory by hand), it is cleared in place.
extern const bool FRESH_MEMORY_IS_FREE;

// The largest block allocate_zeroed will hand out. Tests lower it to act out a machine that
// cannot give the memory asked for.
extern size_t allocation_limit_bytes;

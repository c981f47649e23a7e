// WebAssembly implementation of the platform layer (beside platform_posix.cpp and
// platform_windows.cpp; the build compiles exactly one of them). The engine runs in a worker
// (wasm/korvane-worker.mjs). Its host, the node runner or a web page, writes the input into a
// queue in shared memory (wasm/korvane-input.mjs): a read that finds the queue empty sleeps on
// it, and the search's poll only looks at how much it holds. Output leaves line by line as
// messages to the host.
#include "platform/platform.h"
#include "platform/raw_input.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <emscripten.h>
#include <unistd.h>

size_t allocation_limit_bytes = SIZE_MAX;
const bool FRESH_MEMORY_IS_FREE = false;

namespace {

bool input_ended = false;

double clock_base = 0;
bool clock_started = false;

void start_clock()
{
    clock_base = emscripten_get_now();
    clock_started = true;
}

}  // namespace

// The host's half of the queue, handed to the module by the worker. A module started without a
// queue (by a test, say) has no input: it reads as ended.
EM_JS(int, read_queued_byte, (), {
    const input = Module["korvane_input"];
    return input ? input.read_byte() : -1;
});
EM_JS(int, queued_input_waiting, (), {
    const input = Module["korvane_input"];
    return input ? input.waiting() : 1;
});

void init_console()
{
    // Each reply leaves as one message per line, the moment its newline is written.
    setvbuf(stdin, nullptr, _IONBF, 0);
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (!clock_started)
        start_clock();
}

uint32_t tick_count()
{
    if (!clock_started)
        start_clock();
    const double ms = emscripten_get_now() - clock_base;
    return TICK_COUNT_AT_START + uint32_t(uint64_t(ms));
}

int read_raw_byte()
{
    if (input_ended)
        return -1;
    const int c = read_queued_byte();
    if (c < 0)
        input_ended = true;
    return c;
}

uint32_t input_waiting()
{
    if (pending_byte >= 0 || input_ended)
        return 1;
    return queued_input_waiting() != 0 ? 1 : 0;
}

void restart_input()
{
    pending_byte = -1;
    input_ended = false;
}

// The table comes from the WebAssembly heap. The heap grows up to the build's limit (the 4 GB of
// 32-bit addresses) and never shrinks, and a size it cannot grow to is refused here: the caller
// then keeps its old table. Memory above the heap's break has never been handed out, and the
// pages that growing adds are zero and take no physical memory until written, as a fresh mapping
// does on other systems; only the part of a block below the break (memory used before) is
// written with zeros, so that a large table costs nothing until the search uses it.
void* allocate_zeroed(size_t bytes)
{
    if (bytes == 0 || bytes > allocation_limit_bytes)
        return nullptr;
    const uintptr_t fresh_from = reinterpret_cast<uintptr_t>(sbrk(0));
    char* block = static_cast<char*>(std::malloc(bytes));
    if (block == nullptr)
        return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(block);
    if (start < fresh_from)
        std::memset(block, 0, std::min<size_t>(bytes, fresh_from - start));
    return block;
}

// WebAssembly has no huge pages.
void* allocate_zeroed_huge(size_t bytes) { return allocate_zeroed(bytes); }

void release_memory(void* block, size_t) { std::free(block); }

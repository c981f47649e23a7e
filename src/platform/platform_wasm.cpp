// WebAssembly implementation of the platform layer (beside platform_posix.cpp and
// platform_windows.cpp; the build compiles exactly one of them). The engine runs in a worker
// (wasm/korvane-worker.mjs). Its host, the node runner or a web page, writes the input into a
// queue in shared memory (wasm/korvane-input.mjs): a read that finds the queue empty sleeps on
// it, and the search's poll only looks at how much it holds. Output leaves line by line as
// messages to the host.
#include "platform/platform.h"
#include "platform/raw_input.h"

#include <cstdio>
#include <cstdlib>
#include <emscripten.h>

size_t allocation_limit_bytes = SIZE_MAX;

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

// The table comes from the WebAssembly heap, which grows up to the build's limit and never gives
// memory back to the system: a size the heap cannot grow to is refused here, and the caller keeps
// its old table.
void* allocate_zeroed(size_t bytes)
{
    if (bytes == 0 || bytes > allocation_limit_bytes)
        return nullptr;
    return std::calloc(1, bytes);
}

// WebAssembly has no huge pages.
void* allocate_zeroed_huge(size_t bytes) { return allocate_zeroed(bytes); }

void release_memory(void* block, size_t) { std::free(block); }

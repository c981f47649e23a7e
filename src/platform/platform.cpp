// POSIX implementation of the platform layer.
#include "platform/platform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

size_t allocation_limit_bytes = SIZE_MAX;

namespace {

timespec clock_base;
bool clock_started = false;

// A byte read after a lone carriage return, handed out before anything else is read.
int pending_byte = -1;
bool input_ended = false;

int read_raw_byte()
{
    if (input_ended)
        return -1;
    unsigned char c;
    for (;;) {
        ssize_t got = read(0, &c, 1);
        if (got == 1)
            return c;
        if (got < 0 && errno == EINTR)
            continue;
        // End of input, or an error that no retry mends: from now on the input has ended.
        input_ended = true;
        return -1;
    }
}

void start_clock()
{
    clock_gettime(CLOCK_MONOTONIC, &clock_base);
    clock_started = true;
}

} // namespace

void init_console()
{
    setvbuf(stdin, nullptr, _IONBF, 0);
    setvbuf(stdout, nullptr, _IONBF, 0);
    signal(SIGPIPE, SIG_IGN);
    if (!clock_started)
        start_clock();
}

uint32_t tick_count()
{
    if (!clock_started)
        start_clock();
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    int64_t ms = (int64_t(now.tv_sec) - clock_base.tv_sec) * 1000
               + (int64_t(now.tv_nsec) - clock_base.tv_nsec) / 1000000;
    return TICK_COUNT_AT_START + uint32_t(ms);
}

int read_input_byte()
{
    int c;
    if (pending_byte >= 0) {
        c = pending_byte;
        pending_byte = -1;
        return c;
    }
    c = read_raw_byte();
    if (c != '\r')
        return c;
    int next = read_raw_byte();
    if (next == '\n')
        return '\n';
    pending_byte = next;  // -1 when the input ended right after the carriage return
    return '\r';
}

uint32_t input_waiting()
{
    if (pending_byte >= 0 || input_ended)
        return 1;
    pollfd fd = {0, POLLIN, 0};
    int ready = poll(&fd, 1, 0);
    if (ready < 0)
        return errno == EINTR ? 0 : 1;  // a broken descriptor reads as ended input
    return ready > 0 ? 1 : 0;
}

void restart_input()
{
    pending_byte = -1;
    input_ended = false;
}

void* allocate_zeroed(size_t bytes)
{
    if (bytes == 0 || bytes > allocation_limit_bytes)
        return nullptr;
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

void release_memory(void* block, size_t bytes)
{
    if (block != nullptr)
        munmap(block, bytes);
}

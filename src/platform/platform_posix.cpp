// POSIX implementation of the platform layer (the Windows one is platform_windows.cpp; the
// build compiles exactly one of them).
#include "platform/platform.h"
#include "platform/raw_input.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

size_t allocation_limit_bytes = SIZE_MAX;
const bool FRESH_MEMORY_IS_FREE = true;

namespace {

timespec clock_base;
bool clock_started = false;

bool input_ended = false;

void start_clock()
{
    clock_gettime(CLOCK_MONOTONIC, &clock_base);
    clock_started = true;
}

}  // namespace

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
    int64_t ms =
        (int64_t(now.tv_sec) - clock_base.tv_sec) * 1000 + (int64_t(now.tv_nsec) - clock_base.tv_nsec) / 1000000;
    return TICK_COUNT_AT_START + uint32_t(ms);
}

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

void* allocate_zeroed_huge(size_t bytes)
{
    constexpr size_t HUGE_PAGE = size_t(2) << 20;
    if (bytes < HUGE_PAGE)
        return allocate_zeroed(bytes);
    if (bytes > allocation_limit_bytes || bytes > SIZE_MAX - HUGE_PAGE)
        return nullptr;
    // A huge page must start on a 2 MB boundary: map 2 MB more, then give back the unaligned
    // head and the tail beyond the block, so that release_memory(block, bytes) frees it all.
    const size_t mapped = bytes + HUGE_PAGE;
    void* area = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(area);
    const uintptr_t aligned = (start + HUGE_PAGE - 1) & ~uintptr_t(HUGE_PAGE - 1);
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const uintptr_t end = (aligned + bytes + page - 1) & ~uintptr_t(page - 1);
    if (aligned > start)
        munmap(area, aligned - start);
    if (start + mapped > end)
        munmap(reinterpret_cast<void*>(end), start + mapped - end);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(block, end - aligned, MADV_HUGEPAGE);  // advice only: plain pages if refused
#endif
    return block;
}

void release_memory(void* block, size_t bytes)
{
    if (block != nullptr)
        munmap(block, bytes);
}

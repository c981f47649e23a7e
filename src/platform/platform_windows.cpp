// Windows implementation of the platform layer (the POSIX one is platform_posix.cpp; the build
// compiles exactly one of them).
#include "platform/platform.h"
#include "platform/raw_input.h"

#include <cstdio>
#include <windows.h>

size_t allocation_limit_bytes = SIZE_MAX;
const bool FRESH_MEMORY_IS_FREE = true;

namespace {

LARGE_INTEGER clock_base;
LARGE_INTEGER clock_frequency;
bool clock_started = false;

// The poll's view of standard input, taken on its first use.
bool input_opened = false;
HANDLE input_handle = INVALID_HANDLE_VALUE;
bool input_is_console = false;

bool input_ended = false;

// Bytes read from the system but not yet handed out. The poll counts them as waiting, so it
// still sees every unread byte. A console hands out a typed line only once it is finished, and
// then all of it at once (the rest of a line whose first byte was read is no longer among the
// console's input events, where the poll looks): a whole line is read. From a pipe, what the
// pipe already holds is read in one call, never more, so no read waits for a byte beyond the
// one asked for; one call per byte costs a tenth of a millisecond each under wine, tens of
// milliseconds per "position" line late in a game.
char input_buffer[4096];
DWORD input_length = 0;
DWORD input_next = 0;

// Window-size and mouse events would count as waiting input without ever giving a byte.
constexpr DWORD CONSOLE_MODE_IGNORED = ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT;

// Standard output is buffered here and sent whenever the engine is about to look at its input:
// before every read and at every poll of a search. A reply is always followed by one or the
// other (the command loop reads the next line; a search polls about every 65536 nodes), so every
// reply still leaves before the engine waits for anything, and an "info" line waits at most one
// poll. Unbuffered, the C runtime writes a reply to a pipe one character per system call, which
// costs a search tens of milliseconds per move under wine.
char output_buffer[1 << 16];

void send_output() { std::fflush(stdout); }

void open_input()
{
    input_opened = true;
    input_handle = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode;
    // Pipes and files have no console mode.
    input_is_console = GetConsoleMode(input_handle, &mode) != 0;
    if (input_is_console) {
        SetConsoleMode(input_handle, mode & ~CONSOLE_MODE_IGNORED);
        FlushConsoleInputBuffer(input_handle);  // keys typed before the engine listened
    }
}

void start_clock()
{
    QueryPerformanceFrequency(&clock_frequency);
    QueryPerformanceCounter(&clock_base);
    clock_started = true;
}

}  // namespace

void init_console()
{
    // Output stays in the C runtime's text mode: every "\n" printed leaves as "\r\n", the line
    // end of Windows console programs. Input does not go through the runtime at all.
    setvbuf(stdin, nullptr, _IONBF, 0);
    setvbuf(stdout, output_buffer, _IOFBF, sizeof output_buffer);
    if (!clock_started)
        start_clock();
}

uint32_t tick_count()
{
    if (!clock_started)
        start_clock();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const int64_t ticks = now.QuadPart - clock_base.QuadPart;
    const int64_t frequency = clock_frequency.QuadPart;
    // Whole seconds and the rest apart, so that no product overflows however long the run.
    const int64_t ms = ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
    return TICK_COUNT_AT_START + uint32_t(ms);
}

int read_raw_byte()
{
    send_output();
    if (input_ended)
        return -1;
    if (!input_opened)
        open_input();
    if (input_next == input_length) {
        DWORD wanted = 1;
        if (input_is_console) {
            wanted = sizeof input_buffer;
        } else {
            DWORD available = 0;
            if (PeekNamedPipe(input_handle, nullptr, 0, nullptr, &available, nullptr) && available > 1)
                wanted = available < sizeof input_buffer ? available : sizeof input_buffer;
        }
        DWORD got = 0;
        // A pipe whose writer closed fails with ERROR_BROKEN_PIPE (or, under wine, reads 0
        // bytes); a file at its end reads 0 bytes; a console gives 0 bytes for Ctrl+Z and Enter.
        // Either way, and on any other error, the input has ended from now on.
        if (!ReadFile(input_handle, input_buffer, wanted, &got, nullptr) || got == 0) {
            input_ended = true;
            return -1;
        }
        input_length = got;
        input_next = 0;
    }
    return static_cast<unsigned char>(input_buffer[input_next++]);
}

uint32_t input_waiting()
{
    send_output();
    if (pending_byte >= 0 || input_ended)
        return 1;
    if (!input_opened)
        open_input();
    if (input_next < input_length)
        return 1;
    if (input_is_console) {
        DWORD events = 0;
        // A console that cannot be asked reads as waiting: the read then finds out what it is.
        if (!GetNumberOfConsoleInputEvents(input_handle, &events))
            return 1;
        // One key typed is a press and a release: a single event is no input yet.
        return events >= 2 ? events : 0;
    }
    DWORD available = 0;
    // Fails on a broken pipe (the read then meets the end) and on a file (which always has its
    // next byte, or its end, ready).
    if (!PeekNamedPipe(input_handle, nullptr, 0, nullptr, &available, nullptr))
        return 1;
    return available;
}

void restart_input()
{
    pending_byte = -1;
    input_ended = false;
    input_opened = false;
    input_length = input_next = 0;
}

void* allocate_zeroed(size_t bytes)
{
    if (bytes == 0 || bytes > allocation_limit_bytes)
        return nullptr;
    // Committed pages are zero and take physical memory only when first touched.
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

namespace {

// Large pages need the "lock pages in memory" right, which Windows grants only where an
// administrator gave it to the user; asked for once, on the first large table.
bool large_pages_allowed()
{
    static int allowed = -1;
    if (allowed < 0) {
        allowed = 0;
        HANDLE token;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
            TOKEN_PRIVILEGES privileges{};
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            if (LookupPrivilegeValueA(nullptr, "SeLockMemoryPrivilege", &privileges.Privileges[0].Luid) &&
                AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                GetLastError() == ERROR_SUCCESS)
                allowed = 1;
            CloseHandle(token);
        }
    }
    return allowed == 1;
}

}  // namespace

void* allocate_zeroed_huge(size_t bytes)
{
    if (bytes == 0 || bytes > allocation_limit_bytes)
        return nullptr;
    // Large pages are committed, and zero, at once; where they cannot be had, plain pages.
    const size_t large = GetLargePageMinimum();
    if (large != 0 && bytes >= large && bytes <= SIZE_MAX - large && large_pages_allowed()) {
        const size_t rounded = (bytes + large - 1) / large * large;
        void* block = VirtualAlloc(nullptr, rounded, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES, PAGE_READWRITE);
        if (block != nullptr)
            return block;
    }
    return allocate_zeroed(bytes);
}

void release_memory(void* block, size_t)
{
    if (block != nullptr)
        VirtualFree(block, 0, MEM_RELEASE);
}

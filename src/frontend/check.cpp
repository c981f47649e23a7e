// The periodic check of a running search, and integer reading for the command handlers.
#include <climits>
#include <cstring>

#include "frontend/uci.h"
#include "platform/platform.h"

bool listen_during_search = true;

namespace {

// What the last read during a search brought: at most 5 characters and the string end.
char search_input[6];

// Reads at most 5 characters, ending early after a newline. Returns false when the input
// ended before anything was read.
bool read_search_input()
{
    int n = 0;
    while (n < 5) {
        const int c = read_input_byte();
        if (c < 0)
            break;
        search_input[n++] = char(c);
        if (c == '\n')
            break;
    }
    if (n == 0)
        return false;
    search_input[n] = '\0';
    return true;
}

} // namespace

bool periodic_check()
{
    if (!limits.no_time_limit && tick_count() > limits.deadline) {
        limits.stop = 1;
        return true;
    }
    if (limits.stop || !listen_during_search)
        return false;
    if (input_waiting() == 0)
        return false;
    // An interface that went away leaves nobody to send "stop": the end of input stops the
    // search like "stop", and the command loop then meets the end and exits.
    if (!read_search_input()) {
        limits.stop = 1;
        return true;
    }
    if (std::strncmp(search_input, "quit", 4) == 0 || std::strncmp(search_input, "stop", 4) == 0) {
        limits.stop = 1;
        return true;
    }
    return false;  // any other line is dropped, piece by piece
}

int32_t parse_int(const char* text)
{
    const char* c = text;
    while (*c == ' ' || (*c >= '\t' && *c <= '\r'))
        ++c;
    bool negative = false;
    if (*c == '+' || *c == '-')
        negative = *c++ == '-';
    int64_t value = 0;
    for (; *c >= '0' && *c <= '9'; ++c) {
        if (value <= INT32_MAX)
            value = value * 10 + (*c - '0');
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return int32_t(value);
}

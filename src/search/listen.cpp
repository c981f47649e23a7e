// The periodic check of a running search: the deadline, and "stop" or "quit" read from
// standard input while the engine thinks.
#include <cstring>

#include "platform/platform.h"
#include "search/search.h"

bool listen_during_search = true;

namespace {

// The piece of a line read so far during a search: at most 5 characters and the string end.
// A piece is judged once it is whole (5 characters, or up to its newline). Taking only what
// has arrived at each check means a line that the interface writes in two parts is judged
// exactly as one written at once, and the search never waits for the rest of a line.
char search_input[6];
int search_input_length;

}  // namespace

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

    bool ended = false;
    do {
        const int c = read_input_byte();
        if (c < 0) {
            ended = true;
            break;
        }
        search_input[search_input_length++] = char(c);
        if (c == '\n')
            break;
    } while (search_input_length < 5 && input_waiting() != 0);
    const bool whole =
        search_input_length == 5 || (search_input_length > 0 && search_input[search_input_length - 1] == '\n');
    if (!whole && !ended)
        return false;
    search_input[search_input_length] = '\0';
    search_input_length = 0;

    // An interface that went away leaves nobody to send "stop": the end of input stops the
    // search like "stop", and the command loop then meets the end and exits.
    if (ended || std::strncmp(search_input, "quit", 4) == 0 || std::strncmp(search_input, "stop", 4) == 0) {
        limits.stop = 1;
        return true;
    }
    return false;  // any other line is dropped, piece by piece
}

void start_listening() { search_input_length = 0; }

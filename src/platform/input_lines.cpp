// Standard input as bytes and lines, the same on every system: "\r\n" reads as "\n".
#include "platform/platform.h"
#include "platform/raw_input.h"

int pending_byte = -1;

int read_input_byte()
{
    if (pending_byte >= 0) {
        const int c = pending_byte;
        pending_byte = -1;
        return c;
    }
    return read_raw_byte();
}

int read_input_line(char* buffer, int size)
{
    int n = 0;
    while (n < size - 1) {
        const int c = read_input_byte();
        if (c < 0)
            break;
        if (c == '\n' && n > 0 && buffer[n - 1] == '\r') {
            buffer[n - 1] = '\n';  // "\r\n" reads as "\n"
            break;
        }
        buffer[n++] = char(c);
        if (c == '\n')
            break;
        // A full buffer ending in a carriage return: a newline that has followed belongs to it.
        if (n == size - 1 && c == '\r' && input_waiting() != 0) {
            const int next = read_input_byte();
            if (next == '\n')
                buffer[n - 1] = '\n';
            else
                pending_byte = next;
        }
    }
    buffer[n] = '\0';
    return n;
}

// Korvane: a chess engine speaking UCI on standard input and output.
#include "frontend/uci.h"
#include "platform/platform.h"

int main()
{
    init_console();
    start_engine();
    command_loop();
    stop_engine();
    return 0;
}

// The system-independent half of engine_process.h: the clock, the line splitting and every wait
// on the engine's lines and exit. Each system's file (engine_process.cpp,
// engine_process_windows.cpp) starts and stops the process and supplies read_some and reap_process.
#include <chrono>

#include "e2e/engine_output.h"
#include "frontend/version.h"

long long now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void split_lines(EngineProcess& engine, bool drop_carriage_return)
{
    size_t newline;
    while ((newline = engine.pending.find('\n')) != std::string::npos) {
        const bool carriage_return = drop_carriage_return && newline > 0 && engine.pending[newline - 1] == '\r';
        engine.lines.push_back(engine.pending.substr(0, carriage_return ? newline - 1 : newline));
        engine.pending.erase(0, newline + 1);
    }
}

bool start_engine_process(EngineProcess& engine, const std::string& path, const std::vector<std::string>& arguments)
{
    if (!launch_process(engine, path.empty() ? KORVANE_BINARY : path, arguments))
        return false;
    return wait_for_line(engine, [](const std::string& l) { return l == ENGINE_BANNER; }) != "<timeout>";
}

std::string wait_for_line(EngineProcess& engine, const std::function<bool(const std::string&)>& accept, int timeout_ms)
{
    const long long deadline = now_ms() + timeout_ms;
    for (;;) {
        while (engine.next_line < engine.lines.size()) {
            const std::string& line = engine.lines[engine.next_line++];
            if (accept(line))
                return line;
        }
        const long long left = deadline - now_ms();
        if (left <= 0 || !read_some(engine, int(left)))
            return "<timeout>";
    }
}

std::string wait_for_prefix(EngineProcess& engine, const std::string& prefix, int timeout_ms)
{
    return wait_for_line(
        engine, [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }, timeout_ms);
}

std::vector<std::string> collect_lines(EngineProcess& engine, int ms)
{
    const long long deadline = now_ms() + ms;
    for (long long left; (left = deadline - now_ms()) > 0;)
        if (!read_some(engine, int(left)))
            break;
    std::vector<std::string> result(engine.lines.begin() + long(engine.next_line), engine.lines.end());
    engine.next_line = engine.lines.size();
    return result;
}

int wait_for_exit(EngineProcess& engine, int timeout_ms)
{
    if (engine.pid <= 0)
        return -1;
    const long long deadline = now_ms() + timeout_ms;
    for (;;) {
        int status;
        if (reap_process(engine, status)) {
            for (int i = 0; i < 100 && engine.from_engine >= 0; ++i)
                read_some(engine, 100);  // the rest of the output, up to its end
            return status;
        }
        if (now_ms() > deadline) {
            stop_engine_process(engine);
            return -1;
        }
        read_some(engine, 10);  // keep draining the output so the engine never blocks on it
    }
}

// Starts the real engine binary over pipes and talks to it as an interface does: send a line,
// wait for a reply with a timeout, close the input, collect the exit status.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

struct EngineProcess {
    pid_t pid = -1;
    int to_engine = -1;              // the engine's standard input
    int from_engine = -1;            // the engine's standard output
    std::string pending;             // output read but not yet split into lines
    std::vector<std::string> lines;  // every complete line received, newline removed
    size_t next_line = 0;            // lines before this index have been consumed by waits
};

// Starts the engine (by default the binary built next to the tests), with the arguments given,
// and waits for its banner.
bool start_engine_process(EngineProcess& engine, const std::string& path = "",
                          const std::vector<std::string>& arguments = {});
// Starts any program with its arguments and its standard input and output on pipes, waiting for
// nothing. A path without a slash is looked up in PATH (for example "node").
bool launch_process(EngineProcess& engine, const std::string& path, const std::vector<std::string>& arguments = {});
void send_text(EngineProcess& engine, const std::string& text);
// Waits for the next unconsumed line that satisfies accept; returns it, or "<timeout>".
// Lines passed over are consumed too (they stay in engine.lines).
std::string wait_for_line(EngineProcess& engine, const std::function<bool(const std::string&)>& accept,
                          int timeout_ms = 10000);
std::string wait_for_prefix(EngineProcess& engine, const std::string& prefix, int timeout_ms = 10000);
// Collects every line that arrives within the given time (consuming them).
std::vector<std::string> collect_lines(EngineProcess& engine, int ms);
void close_input(EngineProcess& engine);
// Waits for the process to end; returns its exit status, 128 + signal when killed by one, or -1
// on timeout (the process is then killed).
int wait_for_exit(EngineProcess& engine, int timeout_ms = 10000);
// Kills a process that is still running; safe to call twice.
void stop_engine_process(EngineProcess& engine);
// Milliseconds on a monotonic clock, for measuring answers.
long long now_ms();

// POSIX half of engine_process.h (the Windows one is engine_process_windows.cpp): the engine runs
// on pipes from fork and exec, and its output is read with poll.
#include "e2e/engine_output.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

bool read_some(EngineProcess& engine, int timeout_ms)
{
    if (engine.from_engine < 0)
        return false;
    pollfd fd = {engine.from_engine, POLLIN, 0};
    int ready = poll(&fd, 1, timeout_ms);
    if (ready <= 0)
        return ready == 0 || errno == EINTR;
    char buffer[65536];
    ssize_t got = read(engine.from_engine, buffer, sizeof buffer);
    if (got <= 0) {
        close(engine.from_engine);
        engine.from_engine = -1;
        return false;
    }
    engine.pending.append(buffer, size_t(got));
    split_lines(engine, false);
    return true;
}

bool launch_process(EngineProcess& engine, const std::string& binary, const std::vector<std::string>& arguments)
{
    signal(SIGPIPE, SIG_IGN);
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        return false;
    // A cross-built engine runs under the emulator the build names (qemu-user for ARM64, node for
    // WebAssembly).
    const char* launcher = KORVANE_LAUNCHER;
    std::vector<const char*> words;
    if (launcher[0] != '\0')
        words.push_back(launcher);
    words.push_back(binary.c_str());
    for (const std::string& argument : arguments)
        words.push_back(argument.c_str());
    words.push_back(nullptr);
    engine.pid = fork();
    if (engine.pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        close(in[0]);
        close(in[1]);
        close(out[0]);
        close(out[1]);
        execvp(words[0], const_cast<char* const*>(words.data()));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    engine.to_engine = in[1];
    engine.from_engine = out[0];
    return engine.pid > 0;
}

void send_text(EngineProcess& engine, const std::string& text)
{
    size_t sent = 0;
    while (engine.to_engine >= 0 && sent < text.size()) {
        ssize_t n = write(engine.to_engine, text.data() + sent, text.size() - sent);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        sent += size_t(n);
    }
}

void close_input(EngineProcess& engine)
{
    if (engine.to_engine >= 0)
        close(engine.to_engine);
    engine.to_engine = -1;
}

bool reap_process(EngineProcess& engine, int& status)
{
    int raw;
    if (waitpid(engine.pid, &raw, WNOHANG) != engine.pid)
        return false;
    engine.pid = -1;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return true;
}

void stop_engine_process(EngineProcess& engine)
{
    close_input(engine);
    if (engine.pid > 0) {
        kill(engine.pid, SIGKILL);
        waitpid(engine.pid, nullptr, 0);
        engine.pid = -1;
    }
    if (engine.from_engine >= 0)
        close(engine.from_engine);
    engine.from_engine = -1;
}

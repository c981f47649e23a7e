// Windows half of engine_process.h (the POSIX one is engine_process.cpp): the engine
// runs on pipes made with CreatePipe, as a Windows chess interface starts it. The record's
// descriptor fields hold the pipe handles and pid the process handle: kernel handles are small
// numbers that Windows guarantees to survive a round trip through 32 bits.
#include "e2e/engine_output.h"
#include "e2e/windows_process.h"

namespace {

HANDLE handle_of(long long value) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)); }
int descriptor_of(HANDLE handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }

void close_output(EngineProcess& engine)
{
    if (engine.from_engine >= 0)
        CloseHandle(handle_of(engine.from_engine));
    engine.from_engine = -1;
}

}  // namespace

bool create_process_on(std::string command_line, HANDLE input, HANDLE output, PROCESS_INFORMATION& info)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    info = PROCESS_INFORMATION{};
    return CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info) !=
           0;
}

// An anonymous pipe has no wait with a timeout, so the pipe is looked at every millisecond.
bool read_some(EngineProcess& engine, int timeout_ms)
{
    if (engine.from_engine < 0)
        return false;
    const HANDLE pipe = handle_of(engine.from_engine);
    const long long deadline = now_ms() + timeout_ms;
    DWORD available = 0;
    for (;;) {
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            close_output(engine);  // the engine's end is closed: it exited
            return false;
        }
        if (available > 0)
            break;
        if (now_ms() >= deadline)
            return true;
        Sleep(1);
    }
    char buffer[65536];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr) || got == 0) {
        close_output(engine);
        return false;
    }
    engine.pending.append(buffer, got);
    split_lines(engine, true);  // the engine writes Windows line ends; lines compare as on Linux
    return true;
}

bool launch_process(EngineProcess& engine, const std::string& binary, const std::vector<std::string>& arguments)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE in_read, in_write, out_read, out_write;
    // The tests write long input in one piece and read the output only afterwards: the pipes
    // hold a megabyte, so neither side waits for the other (a default pipe holds 4 KB).
    const DWORD PIPE_BYTES = 1 << 20;
    if (!CreatePipe(&in_read, &in_write, &inherit, PIPE_BYTES))
        return false;
    if (!CreatePipe(&out_read, &out_write, &inherit, PIPE_BYTES)) {
        CloseHandle(in_read);
        CloseHandle(in_write);
        return false;
    }
    // Only the child's ends are inherited: a parent's end left open in the child would keep the
    // pipe from ever reporting its end.
    SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);

    PROCESS_INFORMATION info = {};
    std::string command_line = "\"" + binary + "\"";
    for (const std::string& argument : arguments)
        command_line += " \"" + argument + "\"";
    const bool started = create_process_on(command_line, in_read, out_write, info);
    CloseHandle(in_read);
    CloseHandle(out_write);
    if (!started) {
        CloseHandle(in_write);
        CloseHandle(out_read);
        return false;
    }
    CloseHandle(info.hThread);
    engine.pid = reinterpret_cast<intptr_t>(info.hProcess);
    engine.to_engine = descriptor_of(in_write);
    engine.from_engine = descriptor_of(out_read);
    return true;
}

void send_text(EngineProcess& engine, const std::string& text)
{
    size_t sent = 0;
    while (engine.to_engine >= 0 && sent < text.size()) {
        DWORD n = 0;
        if (!WriteFile(handle_of(engine.to_engine), text.data() + sent, DWORD(text.size() - sent), &n, nullptr) ||
            n == 0)
            break;
        sent += n;
    }
}

void close_input(EngineProcess& engine)
{
    if (engine.to_engine >= 0)
        CloseHandle(handle_of(engine.to_engine));
    engine.to_engine = -1;
}

bool reap_process(EngineProcess& engine, int& status)
{
    const HANDLE process = handle_of(engine.pid);
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    engine.pid = -1;
    status = int(code);
    return true;
}

void stop_engine_process(EngineProcess& engine)
{
    close_input(engine);
    if (engine.pid > 0) {
        const HANDLE process = handle_of(engine.pid);
        TerminateProcess(process, 137);
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
        engine.pid = -1;
    }
    close_output(engine);
}

// Starting a process on Windows with standard input and output on handles of the caller's,
// which the new process inherits (standard error stays the caller's).
#pragma once
#include <string>
#include <windows.h>

// True when the process started; info then holds its process and thread handles.
bool create_process_on(std::string command_line, HANDLE input, HANDLE output, PROCESS_INFORMATION& info);

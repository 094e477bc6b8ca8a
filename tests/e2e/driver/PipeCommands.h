// hgdriver's commands on the service's pipe \\.\pipe\HourgaugeLite: what a
// tray program, or a child's program, can send it.
#pragma once
#include <string>

// The exit code of a pipe command, or -1 when `command` is none of them.
int RunPipeCommand(const std::wstring& command, int argc, wchar_t** argv);
// The usage lines of the pipe commands.
extern const char kPipeCommandsUsage[];

// Runs a console command through cmd in a hidden window and collects what it
// writes to standard output and standard error.
#pragma once
#include <string>

// Wide variant: each chunk read is converted from the ANSI code page.
bool ExecCommand(std::wstring command, std::wstring& output);
// Narrow variant: the bytes as the command wrote them.
bool ExecCommandA(const wchar_t* command, std::string& output);

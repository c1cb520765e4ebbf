// Threads nobody waits for.
#pragma once
#include <windows.h>

// Starts proc(param) on a new thread (default security and stack size) and
// closes its handle at once. When the thread cannot be created it writes
// logLine, if given, to the tool's log and returns false.
[[nodiscard]] bool StartDetachedThread(LPTHREAD_START_ROUTINE proc, void* param, const char* logLine = nullptr);

// Measuring tools of the bench driver: a millisecond clock, medians, waiting
// for a window to be shown and painted, the stand-ins' own run time through
// the interpreter, and the count of a process's GDI and USER objects.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

// Milliseconds on the performance counter.
double NowMs();
double Median(std::vector<double> v);

// Polls (about every millisecond) until the top-level window of pid titled
// title is visible, then until neither it nor any of its children has a part
// left to paint and it answers a message. visibleMs gets the first moment it
// was seen visible. Returns the moment it was painted, or a negative value on
// timeout.
double WaitShownAndPainted(DWORD pid, const std::wstring& title, DWORD timeoutMs, HWND* window,
                           double* visibleMs);

// Whether the window (and its children) has nothing left to paint.
bool Painted(HWND h);

// Runs a command the way the tool's runner does (the system folder's cmd.exe
// with the same line, hidden, output through one pipe, read to the end, in
// currentDir or the system folder) but without its pause between reads.
// Returns the milliseconds from start to the end of the process, negative
// when it could not be started; output gets the text, exitCode the
// interpreter's exit code.
double TimeThroughCmd(const std::wstring& command, const std::wstring& currentDir, std::string* output = nullptr,
                      DWORD* exitCode = nullptr);

// CPU time (user + kernel) the process has used, in milliseconds; negative
// when it cannot be read. how names the source of the figure.
double CpuMs(HANDLE process, std::wstring* how = nullptr);
// The CPU time of each live thread of pid (thread id -> ms) and their sum.
double ThreadCpuMs(DWORD pid, std::map<DWORD, double>* perThread = nullptr);

}  // namespace bench

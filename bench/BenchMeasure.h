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

// How often the bench looks at another program's windows: more often, and
// the looking takes the two cores from the program it measures.
const DWORD kPollMs = 10;

// Polls (every kPollMs) until the top-level window of pid titled title is
// visible, then until neither it nor any of its children has a part left to
// paint and it answers a message. visibleMs gets the first moment it was seen
// visible. Returns the moment it was painted, or a negative value on timeout.
double WaitShownAndPainted(DWORD pid, const std::wstring& title, DWORD timeoutMs, HWND* window,
                           double* visibleMs);

// The moment a process first waits for input (WaitForInputIdle, an event the
// system sets), watched by a thread of its own from construction on.
class CFirstIdle {
public:
    explicit CFirstIdle(HANDLE process);
    ~CFirstIdle();
    CFirstIdle(const CFirstIdle&) = delete;
    CFirstIdle& operator=(const CFirstIdle&) = delete;
    // NowMs() of that moment; negative when it did not come within timeoutMs.
    double Wait(DWORD timeoutMs);

private:
    static DWORD WINAPI Watch(LPVOID self);
    HANDLE m_process;
    HANDLE m_thread = nullptr;
    double m_idleMs = -1;
};

// A launch under the bench as debugger, to see the loader from outside: the
// system reports each library it maps and stops at the loader's breakpoint
// once the imports are loaded, before the program's own first statement.
// Each report costs the program a round trip to the bench, so the times are
// a little longer than a launch without.
struct LoaderLaunch {
    double loaderMs = -1;    // launch -> the loader's breakpoint
    double visibleMs = -1;   // launch -> the window visible
    double paintedMs = -1;   // launch -> painted (as WaitShownAndPainted)
    int importDlls = 0;      // libraries mapped before the breakpoint, the program included
    std::vector<std::wstring> importNames; // their names
    std::vector<std::wstring> laterDlls;   // mapped after it, until painted
    std::string why;         // why it could not be measured
};
// Starts exe (in cwd, with this process's environment) and follows it until
// its window titled title is painted, then ends it.
LoaderLaunch LaunchUnderDebugger(const std::wstring& exe, const std::wstring& cwd, const std::wstring& title,
                                 DWORD timeoutMs);

// Ends the processes a process has started, and theirs (not the process
// itself): a program ended in the middle of a command leaves the interpreter
// running, holding what it inherited.
void EndDescendants(DWORD pid);

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

// Helpers shared by the Windows test tiers: scratch folders, files, launching
// a program with a chosen environment, finding and driving its windows.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/Handles.h"

namespace vt {

std::string Utf8(const std::wstring& s);
std::wstring Wide(const std::string& utf8);

// How a Win32 call failed: "error 5 (Access is denied.)".
std::string Win32Error(DWORD code);

// The outcome of a step of the harness (starting a program, setting the
// message watch, a wait): done, or not done and why, with the Win32 error or
// what the wait last saw. It converts to bool; in ASSERT_TRUE/EXPECT_TRUE
// GoogleTest prints the reason. A failed step also writes its reason to the
// standard error at once ("harness: ..."), so a caller that only passes
// bool on still leaves the reason in the test's output.
class CStep {
public:
    static CStep Done() { return CStep(true, {}); }
    static CStep Failed(const std::string& why);
    operator bool() const { return m_done; }
    operator testing::AssertionResult() const
    {
        return m_done ? testing::AssertionSuccess() : testing::AssertionFailure() << m_why;
    }
    const std::string& Why() const { return m_why; }

private:
    CStep(bool done, std::string why) : m_done(done), m_why(std::move(why)) {}
    bool m_done;
    std::string m_why;
};

// Wine now and then ends a process it has just made before the process ran
// a line (status 1 at once, nothing printed). A harness step that such a fault
// can fail, and nothing of the program under test, is made through this: an
// attempt that failed (its reason already written) is made once more, saying
// so ("harness: <what>: once more"), and a second failure gives both reasons.
CStep TriedTwice(const std::string& what, const std::function<CStep()>& attempt);

// Folder of the running test program: the win64 build's bin folder, which also
// holds Velmora.exe, the development feedback library and the stand-ins.
std::wstring BinDir();

// An empty folder C:\velmora-tests\<name> inside the test prefix (made anew).
std::wstring ScratchDir(const std::wstring& name);
bool RemoveTree(const std::wstring& dir);
bool PathExists(const std::wstring& path);

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool CopyFileTo(const std::wstring& from, const std::wstring& to);

// Links made by the test session (wine's programs can make none, and moving
// one moves what it leads to): C:\velmora-links\<n>, n from 1 to 8, leads to
// LinkTarget(n), which a test makes (a folder or a file) as it needs; a test
// names the link itself, or a path through it. Nothing else lives there.
std::wstring LinkPath(int n);
std::wstring LinkTarget(int n);

// Polls cond every pollMs until it holds or timeoutMs has passed.
bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs, DWORD pollMs = 20);

// A child process, ended on destruction if still running.
class CProcess {
public:
    ~CProcess();
    // env: variables to set (an empty value removes the variable) on top of ours.
    // suspended: its first thread waits for Resume().
    // stdoutFile: where the child's standard output goes (none when empty).
    // desktop: "<window station>\\<desktop>" the child starts on (ours when empty).
    CStep Start(const std::wstring& exe, const std::wstring& args, const std::wstring& cwd,
                const std::map<std::wstring, std::wstring>& env = {}, bool suspended = false,
                const std::wstring& stdoutFile = {}, const std::wstring& desktop = {});
    CStep Resume();
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    bool Running() const;
    // "pid 12 running", "pid 12 ended with exit code 3", "not started".
    std::string State() const;
    void Kill();
    DWORD Pid() const { return m_pid; }
    DWORD FirstThreadId() const { return m_tid; }
    HANDLE Handle() const { return m_process.Get(); }

private:
    CHandle m_process, m_thread;
    DWORD m_pid = 0, m_tid = 0;
};

// Running processes of that program file name (any folder, any case).
int ProcessesNamed(const wchar_t* exeName);
// File names of the running processes that pid started (it may have ended).
// A program starts its hidden commands before it goes on, so right after a
// step of it, this tells for certain whether the step started one.
std::vector<std::wstring> ProcessesStartedBy(DWORD pid);

// The desktop shell's process, which runs what the shell is asked to start
// (under wine the desktop process: it holds the desktop window and sets no
// shell window).
DWORD DesktopShellProcessId();

// The interpreters (cmd.exe) the desktop shell starts from now on, such as
// the removal's at the end of a run, told apart from those it runs already.
class CShellInterpreters {
public:
    CShellInterpreters();
    // Those started since that still run. One that has ended is not seen:
    // look while it must still run (the removal's waits 3 s first).
    std::vector<DWORD> Running() const;
    bool WaitEnded(DWORD timeoutMs) const;

private:
    DWORD m_shell = 0;
    std::vector<DWORD> m_before;
};

// Visible top-level windows of a process (any class), in Z order.
std::vector<HWND> TopLevelWindows(DWORD pid);
// Those windows as a wait reports its last state: "none", or
// "\"Velmora\" (#32770, disabled), ...".
std::string DescribeWindows(DWORD pid);
// The first visible top-level window of pid whose text is title; waits.
HWND WaitTopLevel(DWORD pid, const std::wstring& title, DWORD timeoutMs);
std::vector<HWND> Children(HWND parent);
std::wstring Text(HWND h);
std::wstring ClassOf(HWND h);
// The name assistive technology reads for a window: accName of its client
// object (oleacc); "<none>" when it has no accessible object or no name.
// (Wine's oleacc gives the name; every role it reports is "client" and no
// state but focusable, so roles and the checked state cannot be read there.)
std::wstring AccessibleName(HWND h);
RECT ScreenRect(HWND h);
RECT RectInParent(HWND h);   // client coordinates of the parent
// BM_CLICK, posted, only when the button is enabled (wine fires BN_CLICKED even
// on disabled buttons, a real user cannot).
bool Click(HWND button);

}  // namespace vt

// One run of the real Velmora.exe in a prepared folder, driven like a user.
//
// Layout of a run named N (all inside the test prefix):
//   C:\velmora-tests\N\Velmora\    the program folder: Velmora.exe, the development
//                                   feedback library, devcon.exe (stand-in)
//   C:\velmora-tests\N\bin\        answers and journal of the wmic stand-in
//   C:\velmora-tests\N\feedback\   answers and journal of the feedback library
// The PC's own tools are stand-ins in the prefix's system folder (see
// InstallSystemStandins); the run tells the wmic stand-in where its folder is.
// The default run answers an accepted model from the wmic stand-in;
// AddListedDevice() makes it a supported PC by registering a listed graphics
// function in the prefix (removed again when the run ends).
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace vt {

struct SUnhookWindowsHook { void operator()(HHOOK h) const { ::UnhookWindowsHookEx(h); } };
using CWindowsHook = CUniqueHandle<SHandleTraits<HHOOK, SUnhookWindowsHook>>;

// The accepted model as the model query prints it.
extern const char* const kAcceptedCsproduct;

class CVelmoraRun {
public:
    // programFolder: the program folder's path below the run's root.
    explicit CVelmoraRun(const std::wstring& name, const std::wstring& programFolder = L"Velmora");
    ~CVelmoraRun();

    // Before Start().
    // writeBack: characters the library writes back into the feedback time text.
    void SetFeedbackAnswers(int initResult, int newVersionResult, int writeBack = 0);
    void UseIncompleteFeedbackLibrary();      // lacks "OpenUseAgreementUrl"
    void RemoveFeedbackLibrary();
    // A signed release: the program, the feedback library and the device tool
    // stand-in as signed copies (SignedCopy), with their certificate among the
    // prefix's trusted roots while the run lives.
    void UseSignedRelease();
    void SetCsproduct(const std::string& bytes);   // what "wmic csproduct list full" prints
    // The feedback library answers from and records beside itself, as on a PC.
    void KeepFeedbackBesideLibrary() { m_feedbackDir = m_programDir; }
    // On top of ours and the run's own; an empty value removes the variable.
    void SetEnv(const std::wstring& name, const std::wstring& value) { m_env[name] = value; }
    void AddListedDevice();
    // The command line's arguments; standard output then goes to a file (Output()).
    void SetArguments(const std::wstring& args) { m_args = args; }
    // The desktop to start on, "<window station>\\<desktop>"; standard output
    // then goes to the file too. A run there cannot be watched from here.
    void SetDesktop(const std::wstring& desktop)
    {
        m_desktop = desktop;
        m_bWatched = false;
    }
    // No message watch: the program runs as it is, without the watch's cost
    // on every message it sends itself (the bench times it so). WaitReady
    // then goes by the please-wait dialog having gone after the model query,
    // which comes a moment before the result is handled.
    void Unwatched() { m_bWatched = false; }

    // Starts the program with the message watch (tests/support/watch) set on
    // its first thread, the one its windows run on, before it runs a line.
    // A start that fails says which step failed and why; one that failed
    // before the program ran is tried once more (both reasons are printed).
    CStep Start();
    // Starts the program by another path to its folder (through a link).
    CStep StartFrom(const std::wstring& folder);
    CProcess& Process() { return m_process; }

    // How often the window thread has returned from a worker message (the
    // host check's or the repair's result, the please-wait close request),
    // as the message watch recorded it. A result whose prompt ends the
    // program never returns.
    int CountHandled(UINT message) const;

    HWND WaitMain(DWORD timeoutMs = 15000);
    // The main window once the automatic checks are over: the host check's
    // result has been handled and the window goes on (no prompt came from it),
    // its please-wait dialog has gone and the window takes input again.
    HWND WaitReady(DWORD timeoutMs = 20000);
    // The host check has ended: its result was handled, or a prompt shows.
    bool WaitHostCheckOver(DWORD timeoutMs = 20000);
    // A prompt box's content window (it holds the message static 1006).
    HWND WaitPrompt(DWORD timeoutMs = 10000);
    // The please-wait dialog (it holds the static 1004).
    HWND WaitPleaseWait(DWORD timeoutMs = 10000);
    std::wstring PromptText(HWND prompt);
    bool PromptButtonVisible(HWND prompt, int id);
    // Clicks 1007 first, 1008 second or 1005 close; true once the box has gone.
    bool Answer(HWND prompt, int buttonId);
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

    // Journal of the feedback library, one entry per call ("Export|arg|...").
    std::vector<std::string> FeedbackCalls() const;
    int CountFeedbackCalls(const std::string& exportName) const;
    // What the program wrote to its standard output (with SetArguments or SetDesktop).
    std::string Output() const;
    // Command lines the wmic stand-in was started with, in order.
    std::vector<std::string> WmicCalls() const;
    // What a wait that timed out last saw: the process, its windows, the
    // worker messages handled, the feedback calls (for "harness: ..." lines).
    std::string State() const;
    // Lines of a log file under C:\ProgramData\ToolLog, decoded from code page 936.
    std::vector<std::wstring> LogLines(const std::wstring& file = L"Velmora.txt") const;

    const std::wstring& Root() const { return m_root; }
    const std::wstring& ProgramDir() const { return m_programDir; }
    const std::wstring& StandinDir() const { return m_standinDir; }
    const std::wstring& FeedbackDir() const { return m_feedbackDir; }
    HWND Main() const { return m_main; }

private:
    CStep StartOnce(const std::wstring& folder);
    std::wstring WatchJournal() const;
    // Reports, on the standard error, a wait of timeoutMs that did not end as wanted.
    void ReportTimeout(const char* wait, DWORD timeoutMs) const;

    std::wstring m_root, m_programDir, m_standinDir, m_feedbackDir;
    std::map<std::wstring, std::wstring> m_env;
    std::wstring m_args, m_desktop;
    CProcess m_process;
    CModule m_watchLibrary;
    CWindowsHook m_watch;   // let go before its library
    HWND m_main = nullptr;
    bool m_bAddedDevice = false;
    bool m_bTrustedRoot = false;
    bool m_bWatched = true;
};

// A copy signed with a throwaway certificate (see tests/CMakeLists.txt):
// Velmora.exe, TarnexFeedbackInformation.dll and devcon.exe (the stand-in)
// signed with the test certificate, devcon-other.exe and
// TarnexFeedbackInformation-other.dll with another one,
// devcon-altered.exe and TarnexFeedbackInformation-altered.dll changed after signing.
std::wstring SignedCopy(const std::wstring& name);

// The stand-ins for the PC's own tools where the program runs them from, in
// the test prefix's system folder: the wmic stand-in as System32\wbem\wmic.exe
// (in place of wine's) and the timeout stand-in as System32\timeout.exe
// (wine has none). Every run installs them.
bool InstallSystemStandins();
std::wstring SystemWmicPath();

// A Windows without wmic for as long as it lives.
class CWithoutWmic {
public:
    CWithoutWmic() { m_removed = ::DeleteFileW(SystemWmicPath().c_str()) != FALSE; }
    ~CWithoutWmic() { InstallSystemStandins(); }
    bool Removed() const { return m_removed; }

private:
    bool m_removed = false;
};

// The Windows version the prefix reports to programs started while it lives:
// an HKLM "X.Y" that wine honours only while no HKCU version name is set.
class CWineVersion {
public:
    CWineVersion(const wchar_t* version, const wchar_t* build);
    ~CWineVersion();
    CWineVersion(const CWineVersion&) = delete;
    CWineVersion& operator=(const CWineVersion&) = delete;

private:
    bool m_hadName = false, m_hadVersion = false, m_hadBuild = false;
    std::wstring m_savedName, m_savedVersion, m_savedBuild;
};

// The log folder the program writes to in the test prefix.
std::wstring ToolLogDir();
// Removes the log files of earlier runs.
void ClearToolLog();
// Lines of a log file there, decoded from code page 936.
std::vector<std::wstring> ToolLogLines(const std::wstring& file = L"Velmora.txt");
// The message text of a log line (after its time stamp).
std::wstring LogMessage(const std::wstring& line);

}  // namespace vt

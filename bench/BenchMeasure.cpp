#include "bench/BenchMeasure.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>
#include <map>

#include "system/CommandRunner.h"
#include "system/CommandLines.h"
#include "tests/support/TestSupport.h"

namespace bench {

double NowMs()
{
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER c;
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

namespace {

bool NothingToPaint(HWND h)
{
    return !::GetUpdateRect(h, nullptr, FALSE);
}

BOOL CALLBACK ChildPainted(HWND h, LPARAM all)
{
    if (::IsWindowVisible(h) && !NothingToPaint(h)) {
        *reinterpret_cast<bool*>(all) = false;
        return FALSE;
    }
    return TRUE;
}

HWND FindVisible(DWORD pid, const std::wstring& title)
{
    for (HWND h : vt::TopLevelWindows(pid))
        if (vt::Text(h) == title)
            return h;
    return nullptr;
}

}  // namespace

bool Painted(HWND h)
{
    if (!NothingToPaint(h))
        return false;
    bool all = true;
    ::EnumChildWindows(h, ChildPainted, reinterpret_cast<LPARAM>(&all));
    return all;
}

double WaitShownAndPainted(DWORD pid, const std::wstring& title, DWORD timeoutMs, HWND* window, double* visibleMs)
{
    const double end = NowMs() + timeoutMs;
    HWND h = nullptr;
    while (NowMs() < end) {
        if (!h && (h = FindVisible(pid, title)) != nullptr && visibleMs)
            *visibleMs = NowMs();
        if (h && Painted(h)) {
            DWORD_PTR r = 0;
            if (::SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &r) && Painted(h)) {
                if (window)
                    *window = h;
                return NowMs();
            }
        }
        ::Sleep(kPollMs);
    }
    return -1;
}

CFirstIdle::CFirstIdle(HANDLE process) : m_process(nullptr)
{
    // A handle of its own: the watch may outlive the caller's.
    if (process && ::DuplicateHandle(::GetCurrentProcess(), process, ::GetCurrentProcess(), &m_process, 0, FALSE,
                                     DUPLICATE_SAME_ACCESS))
        m_thread = ::CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

CFirstIdle::~CFirstIdle()
{
    if (m_thread) {
        // The watch gives up after 15 s.
        ::WaitForSingleObject(m_thread, 20000);
        ::CloseHandle(m_thread);
    }
    if (m_process)
        ::CloseHandle(m_process);
}

DWORD WINAPI CFirstIdle::Watch(LPVOID p)
{
    auto* self = static_cast<CFirstIdle*>(p);
    if (::WaitForInputIdle(self->m_process, 15000) == 0)
        self->m_idleMs = NowMs();
    return 0;
}

double CFirstIdle::Wait(DWORD timeoutMs)
{
    if (!m_thread || ::WaitForSingleObject(m_thread, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    return m_idleMs;
}

namespace {

// The base name of a mapped library's file; empty when the system does not say.
std::wstring FileBaseName(HANDLE file)
{
    wchar_t path[MAX_PATH] = {};
    if (!file || !::GetFinalPathNameByHandleW(file, path, MAX_PATH, 0))
        return std::wstring();
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

// Names of libraries (address, name from their file when known), the rest
// named from the process's module list.
std::vector<std::wstring> ModuleNames(HANDLE process, const std::vector<std::pair<void*, std::wstring>>& dlls)
{
    HMODULE mods[512];
    DWORD bytes = 0;
    const size_t n = ::EnumProcessModules(process, mods, sizeof mods, &bytes) ? std::min<size_t>(bytes / sizeof(HMODULE), 512) : 0;
    std::vector<std::wstring> names;
    for (const auto& [base, known] : dlls) {
        std::wstring name = known.empty() ? L"?" : known;
        for (size_t i = 0; i < n && known.empty(); ++i) {
            wchar_t buf[MAX_PATH] = {};
            if (mods[i] == base && ::GetModuleBaseNameW(process, mods[i], buf, MAX_PATH))
                name = buf;
        }
        names.push_back(name);
    }
    return names;
}

}  // namespace

void EndDescendants(DWORD pid)
{
    CHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap)
        return;
    std::vector<std::pair<DWORD, DWORD>> all;   // process, parent
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = ::Process32FirstW(snap.Get(), &pe); ok; ok = ::Process32NextW(snap.Get(), &pe))
        all.push_back({pe.th32ProcessID, pe.th32ParentProcessID});
    std::vector<DWORD> tree{pid};
    for (size_t i = 0; i < tree.size(); ++i)
        for (const auto& [child, parent] : all)
            if (parent == tree[i] && child != pid && std::find(tree.begin(), tree.end(), child) == tree.end())
                tree.push_back(child);
    for (size_t i = 1; i < tree.size(); ++i) {
        CHandle p(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, tree[i]));
        if (p && ::TerminateProcess(p.Get(), 1))
            ::WaitForSingleObject(p.Get(), 5000);
    }
}

LoaderLaunch LaunchUnderDebugger(const std::wstring& exe, const std::wstring& cwd, const std::wstring& title,
                                 DWORD timeoutMs)
{
    LoaderLaunch r;
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double start = NowMs();
    if (!::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                          cwd.c_str(), &si, &pi)) {
        r.why = "not started (error " + std::to_string(::GetLastError()) + ")";
        return r;
    }
    CHandle process(pi.hProcess), thread(pi.hThread);
    std::vector<std::pair<void*, std::wstring>> imports, later;
    bool breakpoint = false, exited = false, ending = false;
    HWND h = nullptr;
    double lastLook = 0;
    const double end = start + timeoutMs;
    // The program runs only between events; each is answered at once. The
    // windows are looked at (without sending them anything: the program may
    // be stopped at an event) every kPollMs between events.
    while (!exited) {
        DEBUG_EVENT ev{};
        if (::WaitForDebugEvent(&ev, kPollMs)) {
            DWORD answer = DBG_CONTINUE;
            switch (ev.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (ev.u.CreateProcessInfo.hFile)
                    ::CloseHandle(ev.u.CreateProcessInfo.hFile);
                ++r.importDlls;
                break;
            case LOAD_DLL_DEBUG_EVENT: {
                // Named by its file now: a library unloaded later may leave its
                // address to another one before the end.
                const std::wstring name = FileBaseName(ev.u.LoadDll.hFile);
                if (ev.u.LoadDll.hFile)
                    ::CloseHandle(ev.u.LoadDll.hFile);
                if (!breakpoint) {
                    ++r.importDlls;
                    imports.push_back({ev.u.LoadDll.lpBaseOfDll, name});
                } else if (r.paintedMs < 0) {
                    later.push_back({ev.u.LoadDll.lpBaseOfDll, name});
                }
                break;
            }
            case EXCEPTION_DEBUG_EVENT:
                if (!breakpoint && ev.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT) {
                    breakpoint = true;
                    r.loaderMs = NowMs() - start;
                } else {
                    answer = DBG_EXCEPTION_NOT_HANDLED;   // the program's own
                }
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                exited = true;
                break;
            default:
                break;
            }
            ::ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, answer);
        }
        const double now = NowMs();
        if (ending || exited) {
            if (now > end + 5000)
                break;
            continue;
        }
        if (now > end) {
            r.why = h ? "not painted in time" : "no window in time";
            EndDescendants(pi.dwProcessId);
            ::TerminateProcess(process.Get(), 1);
            ending = true;
            continue;
        }
        if (now - lastLook < kPollMs)
            continue;
        lastLook = now;
        if (!h && (h = FindVisible(pi.dwProcessId, title)) != nullptr)
            r.visibleMs = now - start;
        if (h && Painted(h)) {
            r.paintedMs = now - start;
            r.importNames = ModuleNames(process.Get(), imports);
            r.laterDlls = ModuleNames(process.Get(), later);
            EndDescendants(pi.dwProcessId);   // a check it may have begun
            ::TerminateProcess(process.Get(), 0);
            ending = true;
        }
    }
    if (!exited)
        ::DebugActiveProcessStop(pi.dwProcessId);
    if (r.why.empty() && !breakpoint)
        r.why = "no loader breakpoint was reported";
    return r;
}

double TimeThroughCmd(const std::wstring& command, const std::wstring& currentDir, std::string* output,
                      DWORD* exitCode)
{
    const std::wstring system = SystemFolder();
    const std::wstring cmdExe = system + L"\\cmd.exe", startIn = currentDir.empty() ? system : currentDir;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    CHandle readEnd, writeEnd;
    if (!::CreatePipe(readEnd.Out(), writeEnd.Out(), &sa, 0))
        return -1;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.wShowWindow = SW_HIDE;
    si.hStdOutput = si.hStdError = writeEnd.Get();
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    std::wstring line = ComposeCommandLine(command);
    PROCESS_INFORMATION pi{};
    const double start = NowMs();
    if (!::CreateProcessW(cmdExe.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, startIn.c_str(), &si, &pi))
        return -1;
    CHandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.Reset();
    char buf[1024];
    DWORD n = 0;
    while (::ReadFile(readEnd.Get(), buf, sizeof buf, &n, nullptr) && n)
        if (output)
            output->append(buf, n);
    ::WaitForSingleObject(process.Get(), 30000);
    const double ms = NowMs() - start;
    if (exitCode)
        ::GetExitCodeProcess(process.Get(), exitCode);
    return ms;
}

namespace {

double FileTimeMs(const FILETIME& f)
{
    return static_cast<double>((static_cast<UINT64>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000.0;
}

}  // namespace

// The sum over the process's live threads.
double ThreadCpuMs(DWORD pid, std::map<DWORD, double>* perThread)
{
    CHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snap)
        return -1;
    double total = 0;
    bool any = false;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL ok = ::Thread32First(snap.Get(), &te); ok; ok = ::Thread32Next(snap.Get(), &te)) {
        if (te.th32OwnerProcessID != pid)
            continue;
        CHandle t(::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, te.th32ThreadID));
        FILETIME c, e, k, u;
        if (t && ::GetThreadTimes(t.Get(), &c, &e, &k, &u)) {
            total += FileTimeMs(k) + FileTimeMs(u);
            if (perThread)
                (*perThread)[te.th32ThreadID] = FileTimeMs(k) + FileTimeMs(u);
            any = true;
        }
    }
    return any ? total : -1;
}

double CpuMs(HANDLE process, std::wstring* how)
{
    FILETIME created, exited, kernel, user;
    double processMs = -1;
    if (::GetProcessTimes(process, &created, &exited, &kernel, &user))
        processMs = FileTimeMs(kernel) + FileTimeMs(user);
    const double threadMs = ThreadCpuMs(::GetProcessId(process));
    // Wine keeps no running totals for another process (its answer stays at
    // what it was at some earlier point), while each thread's own times are
    // current: take the larger of the two, the threads' sum wherever it is known.
    if (how)
        *how = L"process " + std::to_wstring(static_cast<long long>(processMs)) + L" ms, live threads " +
               std::to_wstring(static_cast<long long>(threadMs)) + L" ms";
    return threadMs > processMs ? threadMs : processMs;
}

}  // namespace bench

#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cstdio>

#include <oleacc.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

namespace vt {

std::string Utf8(const std::wstring& s)
{
    if (s.empty())
        return {};
    int n = ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& s)
{
    if (s.empty())
        return {};
    int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n);
    return out;
}

std::string Win32Error(DWORD code)
{
    wchar_t* text = nullptr;
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n && text ? std::wstring(text, n) : std::wstring();
    if (text)
        ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return "error " + std::to_string(code) + (message.empty() ? std::string() : " (" + Utf8(message) + ")");
}

CStep CStep::Failed(const std::string& why)
{
    std::fflush(stdout);
    std::fprintf(stderr, "harness: %s\n", why.c_str());
    std::fflush(stderr);
    return CStep(false, why);
}

CStep TriedTwice(const std::string& what, const std::function<CStep()>& attempt)
{
    CStep first = attempt();
    if (first)
        return first;
    std::fflush(stdout);
    std::fprintf(stderr, "harness: %s: once more\n", what.c_str());
    std::fflush(stderr);
    CStep second = attempt();
    if (second)
        return second;
    return CStep::Failed(what + " failed twice: first " + first.Why() + "; then " + second.Why());
}

std::wstring BinDir()
{
    wchar_t buf[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring p(buf);
    return p.substr(0, p.find_last_of(L'\\'));
}

bool PathExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveTree(const std::wstring& dir)
{
    if (!PathExists(dir))
        return true;
    WIN32_FIND_DATAW fd;
    if (CFindHandle h{::FindFirstFileW((dir + L"\\*").c_str(), &fd)}) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring p = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                continue;   // what a link leads to is not the tree's (and wine deletes through it)
            } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(p);
            } else {
                ::SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(p.c_str());
            }
        } while (::FindNextFileW(h.Get(), &fd));
    }
    return ::RemoveDirectoryW(dir.c_str()) != 0;
}

std::wstring LinkPath(int n)
{
    return L"C:\\velmora-links\\" + std::to_wstring(n);
}

std::wstring LinkTarget(int n)
{
    return L"C:\\velmora-tests\\link-target-" + std::to_wstring(n);
}

std::wstring ScratchDir(const std::wstring& name)
{
    const std::wstring base = L"C:\\velmora-tests";
    ::CreateDirectoryW(base.c_str(), nullptr);
    std::wstring dir = base + L"\\" + name;
    RemoveTree(dir);
    ::SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
    return dir;
}

std::string ReadFileBytes(const std::wstring& path)
{
    CFileHandle h(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h)
        return {};
    std::string out;
    char buf[65536];
    DWORD n = 0;
    while (::ReadFile(h.Get(), buf, sizeof buf, &n, nullptr) && n)
        out.append(buf, n);
    return out;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    CFileHandle h(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!h)
        return false;
    DWORD n = 0;
    BOOL ok = bytes.empty() || ::WriteFile(h.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    return ok && n == bytes.size();
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to)
{
    return ::CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs, DWORD pollMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        if (cond())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(pollMs);
    }
}

CProcess::~CProcess()
{
    Kill();
}

CStep CProcess::Start(const std::wstring& exe, const std::wstring& args, const std::wstring& cwd,
                      const std::map<std::wstring, std::wstring>& env, bool suspended, const std::wstring& stdoutFile,
                      const std::wstring& desktop)
{
    // Environment: ours with the overrides applied, sorted as Windows expects.
    std::map<std::wstring, std::wstring, bool (*)(const std::wstring&, const std::wstring&)> vars(
        [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
    if (CEnvironmentBlock ours{::GetEnvironmentStringsW()}) {
        for (const wchar_t* p = ours.Get(); *p; p += wcslen(p) + 1) {
            std::wstring kv = p;
            size_t eq = kv.find(L'=', 1);
            if (eq != std::wstring::npos)
                vars[kv.substr(0, eq)] = kv.substr(eq + 1);
        }
    }
    for (const auto& [k, v] : env) {
        if (v.empty())
            vars.erase(k);
        else
            vars[k] = v;
    }
    std::wstring block;
    for (const auto& [k, v] : vars)
        block += k + L"=" + v + L'\0';
    block += L'\0';

    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW si{sizeof(si)};
    std::wstring desktopName = desktop;
    if (!desktopName.empty())
        si.lpDesktop = &desktopName[0];
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    CFileHandle out;
    if (!stdoutFile.empty()) {
        // Shared for writing too: a process the last child started may still
        // hold its copy of the handle a moment after it ended.
        out.Reset(::CreateFileW(stdoutFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                &inherited, CREATE_ALWAYS, 0, nullptr));
        if (!out)
            return CStep::Failed("start of " + Utf8(exe) + ": its output file " + Utf8(stdoutFile) +
                                 " could not be made: CreateFile " + Win32Error(::GetLastError()));
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = out.Get();
    }
    PROCESS_INFORMATION pi{};
    const DWORD flags = CREATE_UNICODE_ENVIRONMENT | (suspended ? CREATE_SUSPENDED : 0);
    const DWORD began = ::GetTickCount();
    BOOL ok = ::CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, out ? TRUE : FALSE, flags, &block[0],
                               cwd.empty() ? nullptr : cwd.c_str(), &si, &pi);
    const DWORD error = ::GetLastError();
    m_process.Reset(pi.hProcess);
    m_thread.Reset(pi.hThread);
    m_pid = pi.dwProcessId;
    m_tid = pi.dwThreadId;
    if (!ok)
        return CStep::Failed("start of " + Utf8(exe) + ": CreateProcess " + Win32Error(error) + " after " +
                             std::to_string(::GetTickCount() - began) + " ms");
    return CStep::Done();
}

CStep CProcess::Resume()
{
    if (!m_thread)
        return CStep::Failed("resume: no process was started");
    const DWORD count = ::ResumeThread(m_thread.Get());
    if (count == static_cast<DWORD>(-1))
        return CStep::Failed("resume of pid " + std::to_string(m_pid) + ": ResumeThread " +
                             Win32Error(::GetLastError()) + "; " + State());
    if (count != 1)
        return CStep::Failed("resume of pid " + std::to_string(m_pid) + ": its first thread had been suspended " +
                             std::to_string(count) + " times, not once; " + State());
    return CStep::Done();
}

bool CProcess::WaitExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (!m_process)
        return false;
    if (::WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        ::GetExitCodeProcess(m_process.Get(), exitCode);
    return true;
}

bool CProcess::Running() const
{
    return m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

std::string CProcess::State() const
{
    if (!m_process)
        return "not started";
    const std::string pid = "pid " + std::to_string(m_pid);
    switch (::WaitForSingleObject(m_process.Get(), 0)) {
    case WAIT_TIMEOUT:
        return pid + " running";
    case WAIT_OBJECT_0: {
        DWORD code = 0;
        ::GetExitCodeProcess(m_process.Get(), &code);
        return pid + " ended with exit code " + std::to_string(code);
    }
    default:
        return pid + ": its state could not be read: WaitForSingleObject " + Win32Error(::GetLastError());
    }
}

void CProcess::Kill()
{
    if (Running()) {
        ::TerminateProcess(m_process.Get(), 99);
        ::WaitForSingleObject(m_process.Get(), 5000);
    }
    m_thread.Reset();
    m_process.Reset();
    m_pid = m_tid = 0;
}

namespace {
template <class Fn>
void ForEachProcess(Fn fn)
{
    CHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap)
        return;
    PROCESSENTRY32W pe = {};
    pe.dwSize = sizeof(pe);
    for (BOOL ok = ::Process32FirstW(snap.Get(), &pe); ok; ok = ::Process32NextW(snap.Get(), &pe))
        fn(pe);
}
}  // namespace

int ProcessesNamed(const wchar_t* exeName)
{
    int n = 0;
    ForEachProcess([&](const PROCESSENTRY32W& pe) {
        if (_wcsicmp(pe.szExeFile, exeName) == 0)
            ++n;
    });
    return n;
}

std::vector<std::wstring> ProcessesStartedBy(DWORD pid)
{
    std::vector<std::wstring> out;
    ForEachProcess([&](const PROCESSENTRY32W& pe) {
        if (pe.th32ParentProcessID == pid && pe.th32ProcessID != pid)
            out.push_back(pe.szExeFile);
    });
    return out;
}

DWORD DesktopShellProcessId()
{
    HWND shell = ::GetShellWindow();
    DWORD pid = 0;
    ::GetWindowThreadProcessId(shell ? shell : ::GetDesktopWindow(), &pid);
    return pid;
}

namespace {
std::vector<DWORD> InterpretersStartedBy(DWORD parent)
{
    std::vector<DWORD> out;
    ForEachProcess([&](const PROCESSENTRY32W& pe) {
        if (pe.th32ParentProcessID == parent && _wcsicmp(pe.szExeFile, L"cmd.exe") == 0)
            out.push_back(pe.th32ProcessID);
    });
    return out;
}
}  // namespace

CShellInterpreters::CShellInterpreters() : m_shell(DesktopShellProcessId()), m_before(InterpretersStartedBy(m_shell)) {}

std::vector<DWORD> CShellInterpreters::Running() const
{
    std::vector<DWORD> out;
    for (DWORD pid : InterpretersStartedBy(m_shell))
        if (std::find(m_before.begin(), m_before.end(), pid) == m_before.end())
            out.push_back(pid);
    return out;
}

bool CShellInterpreters::WaitEnded(DWORD timeoutMs) const
{
    return WaitFor([&] { return Running().empty(); }, timeoutMs, 50);
}

std::vector<HWND> TopLevelWindows(DWORD pid)
{
    struct Ctx { DWORD pid; std::vector<HWND> out; } ctx{pid, {}};
    ::EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(l);
            DWORD p = 0;
            ::GetWindowThreadProcessId(h, &p);
            if (p == c->pid && ::IsWindowVisible(h))
                c->out.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.out;
}

std::string DescribeWindows(DWORD pid)
{
    std::string out;
    for (HWND h : TopLevelWindows(pid)) {
        if (!out.empty())
            out += ", ";
        out += "\"" + Utf8(Text(h)) + "\" (" + Utf8(ClassOf(h)) + (::IsWindowEnabled(h) ? "" : ", disabled") + ")";
    }
    return out.empty() ? "none" : out;
}

HWND WaitTopLevel(DWORD pid, const std::wstring& title, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND h : TopLevelWindows(pid))
                if (Text(h) == title) {
                    found = h;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> out;
    for (HWND h = ::GetWindow(parent, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        out.push_back(h);
    return out;
}

std::wstring Text(HWND h)
{
    wchar_t buf[4096] = {};
    // WM_GETTEXT works across processes for any window class.
    ::SendMessageTimeoutW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, nullptr);
    return buf;
}

std::wstring AccessibleName(HWND h)
{
    // Spelt out: the import library's IID_IAccessible is not the GUID in a static build.
    static const GUID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::wstring name = L"<none>";
    IAccessible* acc = nullptr;
    if (SUCCEEDED(::AccessibleObjectFromWindow(h, static_cast<DWORD>(OBJID_CLIENT), kAccessible,
                                               reinterpret_cast<void**>(&acc))) && acc) {
        VARIANT self;
        ::VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR b = nullptr;
        if (acc->get_accName(self, &b) == S_OK && b)
            name.assign(b, ::SysStringLen(b));
        ::SysFreeString(b);
        acc->Release();
    }
    if (SUCCEEDED(init))
        ::CoUninitialize();
    return name;
}

std::wstring ClassOf(HWND h)
{
    wchar_t buf[256] = {};
    ::GetClassNameW(h, buf, 256);
    return buf;
}

RECT ScreenRect(HWND h)
{
    RECT rc{};
    ::GetWindowRect(h, &rc);
    return rc;
}

RECT RectInParent(HWND h)
{
    RECT rc = ScreenRect(h);
    HWND parent = ::GetParent(h);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool Click(HWND button)
{
    if (!button || !::IsWindowEnabled(button) || !::IsWindowVisible(button))
        return false;
    return ::PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

}  // namespace vt

#include "tests/support/VelmoraRun.h"

#include <shlobj.h>
#include <wincrypt.h>

#include <cstdio>

#include "app/AppMessages.h"
#include "tests/support/FakeDevices.h"

namespace vt {

const char* const kAcceptedCsproduct =
    "\r\r\nCaption=Computer System Product\r\r\nDescription=Computer System Product\r\r\n"
    "IdentifyingNumber=PF2XK9QZ\r\r\nName=31XRV05\r\r\nSKUNumber=\r\r\nUUID=4C4C4544-0042-3910-8052-B4C04F4E3132\r\r\n"
    "Vendor=KESTRA\r\r\nVersion=KESTRA Q5 31XRV05\r\r\n\r\r\n\r\r\n";

namespace {
const int kPromptMessageId = 1006;
const int kPleaseWaitStaticId = 1004;

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        while (!line.empty() && line.back() == L'\r')
            line.pop_back();
        out.push_back(line);
        start = end + 1;
    }
    return out;
}

HWND FindWindowWithChild(DWORD pid, int childId)
{
    for (HWND h : TopLevelWindows(pid)) {
        HWND c = ::GetDlgItem(h, childId);
        if (c && ::IsWindowVisible(c))
            return h;
    }
    return nullptr;
}

// The non-empty lines of a stand-in's journal (UTF-8, one entry per line).
std::vector<std::string> JournalEntries(const std::wstring& path)
{
    std::vector<std::string> out;
    for (const std::wstring& l : SplitLines(Wide(ReadFileBytes(path))))
        if (!l.empty())
            out.push_back(Utf8(l));
    return out;
}

// A copy the run cannot do without; one that failed says so (the start
// then fails on what is missing).
void CopyForRun(const std::wstring& from, const std::wstring& to)
{
    if (!CopyFileTo(from, to))
        CStep::Failed("preparing the run: CopyFile " + Utf8(from) + " to " + Utf8(to) + " " +
                      Win32Error(::GetLastError()));
}

void CopyIfPresent(const std::wstring& from, const std::wstring& to)
{
    if (PathExists(from))
        CopyForRun(from, to);
}

const wchar_t* const kWineKey = L"Software\\Wine";
const wchar_t* const kNtKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

std::wstring ReadString(HKEY root, const wchar_t* key, const wchar_t* name, bool* had)
{
    wchar_t buf[256] = {};
    DWORD size = sizeof(buf) - sizeof(wchar_t);
    *had = ::RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, buf, &size) == ERROR_SUCCESS;
    return buf;
}

void WriteString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value)
{
    ::RegSetKeyValueW(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RestoreString(HKEY root, const wchar_t* key, const wchar_t* name, bool had, const std::wstring& value)
{
    if (had)
        WriteString(root, key, name, value);
    else
        ::RegDeleteKeyValueW(root, key, name);
}

// Adds (or removes) the test certificate to the trusted roots of the test
// prefix's machine, as a signed release's publisher is trusted on a PC.
// Wine's signature check trusts a self-signed certificate either way.
bool TrustTestRoot(bool trust)
{
    const std::string der = ReadFileBytes(SignedCopy(L"test-root.cer"));
    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (der.empty() || !store)
        return false;
    PCCERT_CONTEXT cert = ::CertCreateCertificateContext(X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                                         static_cast<DWORD>(der.size()));
    bool ok = false;
    if (cert && trust) {
        ok = ::CertAddCertificateContextToStore(store, cert, CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
    } else if (cert) {
        PCCERT_CONTEXT found = ::CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert,
                                                            nullptr);
        ok = found && ::CertDeleteCertificateFromStore(found);   // frees found
    }
    if (cert)
        ::CertFreeCertificateContext(cert);
    ::CertCloseStore(store, 0);
    return ok;
}
}  // namespace

CWineVersion::CWineVersion(const wchar_t* version, const wchar_t* build)
{
    m_savedName = ReadString(HKEY_CURRENT_USER, kWineKey, L"Version", &m_hadName);
    m_savedVersion = ReadString(HKEY_LOCAL_MACHINE, kNtKey, L"CurrentVersion", &m_hadVersion);
    m_savedBuild = ReadString(HKEY_LOCAL_MACHINE, kNtKey, L"CurrentBuildNumber", &m_hadBuild);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kWineKey, L"Version");
    WriteString(HKEY_LOCAL_MACHINE, kNtKey, L"CurrentVersion", version);
    WriteString(HKEY_LOCAL_MACHINE, kNtKey, L"CurrentBuildNumber", build);
}

CWineVersion::~CWineVersion()
{
    RestoreString(HKEY_LOCAL_MACHINE, kNtKey, L"CurrentBuildNumber", m_hadBuild, m_savedBuild);
    RestoreString(HKEY_LOCAL_MACHINE, kNtKey, L"CurrentVersion", m_hadVersion, m_savedVersion);
    RestoreString(HKEY_CURRENT_USER, kWineKey, L"Version", m_hadName, m_savedName);
}

std::wstring SignedCopy(const std::wstring& name)
{
    return BinDir() + L"\\signed\\" + name;
}

std::wstring SystemWmicPath()
{
    wchar_t buf[MAX_PATH] = {};
    ::GetSystemDirectoryW(buf, MAX_PATH);
    return std::wstring(buf) + L"\\wbem\\WMIC.exe";
}

bool InstallSystemStandins()
{
    wchar_t buf[MAX_PATH] = {};
    ::GetSystemDirectoryW(buf, MAX_PATH);
    const std::wstring system = buf, standins = BinDir() + L"\\standins";
    bool ok = true;
    for (const auto& [from, to] : {std::make_pair(standins + L"\\wmic.exe", SystemWmicPath()),
                                   std::make_pair(standins + L"\\timeout.exe", system + L"\\timeout.exe")}) {
        if (ReadFileBytes(to) != ReadFileBytes(from))
            ok = CopyFileTo(from, to) && ok;
    }
    return ok;
}

std::wstring ToolLogDir()
{
    wchar_t buf[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, buf, CSIDL_COMMON_APPDATA, FALSE);
    return std::wstring(buf) + L"\\ToolLog";
}

void ClearToolLog()
{
    for (const wchar_t* f : {L"Velmora.txt", L"Velmora.txtbak", L"Quorrant.txt", L"Quorrant.txtbak"})
        ::DeleteFileW((ToolLogDir() + L"\\" + f).c_str());
}

std::wstring LogMessage(const std::wstring& line)
{
    // "[yyyy-mm-dd hh:mm:ss mmmms]   message"
    size_t close = line.find(L"]   ");
    return close == std::wstring::npos ? line : line.substr(close + 4);
}

CVelmoraRun::CVelmoraRun(const std::wstring& name, const std::wstring& programFolder)
{
    m_root = ScratchDir(name);
    m_programDir = m_root + L"\\" + programFolder;
    m_standinDir = m_root + L"\\bin";
    m_feedbackDir = m_root + L"\\feedback";
    ::SHCreateDirectoryExW(nullptr, m_programDir.c_str(), nullptr);
    for (const std::wstring& d : {m_standinDir, m_feedbackDir})
        ::CreateDirectoryW(d.c_str(), nullptr);

    const std::wstring bin = BinDir();
    CopyForRun(bin + L"\\Velmora.exe", m_programDir + L"\\Velmora.exe");
    CopyForRun(bin + L"\\TarnexFeedbackInformation.dll", m_programDir + L"\\TarnexFeedbackInformation.dll");
    CopyIfPresent(bin + L"\\standins\\devcon.exe", m_programDir + L"\\devcon.exe");
    InstallSystemStandins();
    SetCsproduct(kAcceptedCsproduct);
    ClearToolLog();
}

CVelmoraRun::~CVelmoraRun()
{
    m_process.Kill();
    if (m_bTrustedRoot)
        TrustTestRoot(false);
    if (m_bAddedDevice)
        RemoveFakeDevices();
}

void CVelmoraRun::AddListedDevice()
{
    m_bAddedDevice = AddFakeDevice(kListedDeviceInstance, {kListedDeviceFirstId}) || m_bAddedDevice;
}

void CVelmoraRun::SetFeedbackAnswers(int initResult, int newVersionResult, int writeBack)
{
    WriteFileBytes(m_feedbackDir + L"\\feedback-answers.txt",
                   "InitFreedbackDll=" + std::to_string(initResult) + "\r\nGetToolIsNewVersion=" +
                       std::to_string(newVersionResult) + "\r\nCustomerFeedbackExWriteBack=" +
                       std::to_string(writeBack) + "\r\n");
}

void CVelmoraRun::UseIncompleteFeedbackLibrary()
{
    CopyForRun(BinDir() + L"\\standins\\incomplete-feedback\\TarnexFeedbackInformation.dll",
               m_programDir + L"\\TarnexFeedbackInformation.dll");
}

void CVelmoraRun::UseSignedRelease()
{
    for (const wchar_t* name : {L"Velmora.exe", L"TarnexFeedbackInformation.dll", L"devcon.exe"})
        CopyForRun(SignedCopy(name), m_programDir + L"\\" + name);
    m_bTrustedRoot = TrustTestRoot(true) || m_bTrustedRoot;
}

void CVelmoraRun::RemoveFeedbackLibrary()
{
    ::DeleteFileW((m_programDir + L"\\TarnexFeedbackInformation.dll").c_str());
}

void CVelmoraRun::SetCsproduct(const std::string& bytes)
{
    WriteFileBytes(m_standinDir + L"\\wmic-csproduct.bin", bytes);
}

CStep CVelmoraRun::Start()
{
    return StartFrom(m_programDir);
}

CStep CVelmoraRun::StartFrom(const std::wstring& folder)
{
    // Every step of a start comes before the program's first line (it is
    // held until the watch is set), so no fault of the program's can make
    // one fail; a start that failed is made again from nothing.
    bool again = false;
    return vt::TriedTwice("the start of " + Utf8(folder) + "\\Velmora.exe", [&] {
        if (again) {
            m_process.Kill();
            m_watch.Reset();
        }
        again = true;
        return StartOnce(folder);
    });
}

CStep CVelmoraRun::StartOnce(const std::wstring& folder)
{
    const std::wstring journal = WatchJournal();
    ::DeleteFileW(journal.c_str());
    std::map<std::wstring, std::wstring> env = {{L"VELMORA_WMIC_DIR", m_standinDir},
                                                {L"VELMORA_FEEDBACK_DIR", m_feedbackDir},
                                                {L"VELMORA_WATCH_JOURNAL", journal}};
    for (const auto& [name, value] : m_env)
        env[name] = value;   // an empty value removes the variable
    // Arguments or another desktop: a run without a window, whose output is kept.
    const bool capture = !m_args.empty() || !m_desktop.empty();
    if (CStep started = m_process.Start(folder + L"\\Velmora.exe", m_args, folder, env, m_bWatched,
                                        capture ? m_root + L"\\stdout.txt" : std::wstring(), m_desktop);
        !started)
        return started;
    if (!m_bWatched)
        return CStep::Done();
    const std::wstring library = BinDir() + L"\\msgwatch.dll";
    m_watchLibrary.Reset(::LoadLibraryW(library.c_str()));
    if (!m_watchLibrary)
        return CStep::Failed("message watch: LoadLibrary " + Utf8(library) + " " + Win32Error(::GetLastError()));
    auto proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(::GetProcAddress(m_watchLibrary.Get(), "WatchReturns")));
    if (!proc)
        return CStep::Failed("message watch: GetProcAddress WatchReturns " + Win32Error(::GetLastError()));
    m_watch.Reset(::SetWindowsHookExW(WH_CALLWNDPROCRET, proc, m_watchLibrary.Get(), m_process.FirstThreadId()));
    if (!m_watch)
        return CStep::Failed("message watch: SetWindowsHookEx on thread " + std::to_string(m_process.FirstThreadId()) +
                             " " + Win32Error(::GetLastError()) + "; " + m_process.State());
    return m_process.Resume();
}

std::wstring CVelmoraRun::WatchJournal() const
{
    return m_standinDir + L"\\handled.txt";
}

int CVelmoraRun::CountHandled(UINT message) const
{
    const std::string prefix = std::to_string(message) + "|";
    int n = 0;
    for (const std::string& e : JournalEntries(WatchJournal()))
        n += e.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
}

std::string CVelmoraRun::Output() const
{
    return ReadFileBytes(m_root + L"\\stdout.txt");
}

std::string CVelmoraRun::State() const
{
    std::string calls;
    for (const std::string& c : FeedbackCalls())
        calls += (calls.empty() ? "" : ", ") + c.substr(0, c.find('|'));
    return m_process.State() + "; windows: " + DescribeWindows(m_process.Pid()) + "; handled: host check " +
           std::to_string(CountHandled(WM_HOST_CHECK_RESULT)) + ", repair " +
           std::to_string(CountHandled(WM_REPAIR_RESULT)) + ", please-wait close " +
           std::to_string(CountHandled(WM_CLOSE_EXECUTE_PROMPT)) + (m_bWatched ? "" : " (not watched)") +
           "; feedback calls: " + (calls.empty() ? "none" : calls);
}

void CVelmoraRun::ReportTimeout(const char* wait, DWORD timeoutMs) const
{
    if (timeoutMs > 0)
        CStep::Failed(std::string(wait) + " not over after " + std::to_string(timeoutMs) + " ms: " + State());
}

HWND CVelmoraRun::WaitMain(DWORD timeoutMs)
{
    m_main = WaitTopLevel(m_process.Pid(), L"Velmora", timeoutMs);
    if (!m_main)
        ReportTimeout("wait for the main window", timeoutMs);
    return m_main;
}

HWND CVelmoraRun::WaitReady(DWORD timeoutMs)
{
    HWND main = WaitMain(timeoutMs);
    if (!main)
        return nullptr;
    auto checked = [&] {
        if (m_bWatched)
            return CountHandled(WM_HOST_CHECK_RESULT) > 0;
        for (const std::string& c : WmicCalls())
            if (c.find("csproduct") != std::string::npos)
                return true;
        return false;
    };
    if (!WaitFor(checked, timeoutMs)) {
        ReportTimeout("wait for the host check's result", timeoutMs);
        return nullptr;
    }
    if (!WaitFor([&] { return !WaitPleaseWait(0) && ::IsWindowEnabled(main); }, timeoutMs)) {
        ReportTimeout("wait for the ready window (no please-wait dialog, input taken)", timeoutMs);
        return nullptr;
    }
    return main;
}

bool CVelmoraRun::WaitHostCheckOver(DWORD timeoutMs)
{
    if (WaitFor([&] { return CountHandled(WM_HOST_CHECK_RESULT) > 0 || WaitPrompt(0); }, timeoutMs))
        return true;
    ReportTimeout("wait for the host check's end", timeoutMs);
    return false;
}

HWND CVelmoraRun::WaitPrompt(DWORD timeoutMs)
{
    HWND found = nullptr;
    if (!WaitFor([&] { return (found = FindWindowWithChild(m_process.Pid(), kPromptMessageId)) != nullptr; },
                 timeoutMs))
        ReportTimeout("wait for a prompt", timeoutMs);
    return found;
}

HWND CVelmoraRun::WaitPleaseWait(DWORD timeoutMs)
{
    HWND found = nullptr;
    if (!WaitFor([&] { return (found = FindWindowWithChild(m_process.Pid(), kPleaseWaitStaticId)) != nullptr; },
                 timeoutMs))
        ReportTimeout("wait for the please-wait dialog", timeoutMs);
    return found;
}

std::wstring CVelmoraRun::PromptText(HWND prompt)
{
    return Text(::GetDlgItem(prompt, kPromptMessageId));
}

bool CVelmoraRun::PromptButtonVisible(HWND prompt, int id)
{
    HWND b = ::GetDlgItem(prompt, id);
    return b && ::IsWindowVisible(b);
}

bool CVelmoraRun::Answer(HWND prompt, int buttonId)
{
    // Under wine a posted click now and then finds the button while its box is
    // still being activated and comes to nothing. An answered box hides at
    // once, so clicking again while the same box still shows cannot answer twice.
    HWND button = ::GetDlgItem(prompt, buttonId);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!Click(button)) {
            CStep::Failed("answer " + std::to_string(buttonId) + ": the button " +
                          (button ? "is not enabled and visible" : "is not in the box") + "; " + State());
            return false;
        }
        if (WaitFor([&] { return !::IsWindowVisible(prompt); }, 2000))
            return true;
    }
    CStep::Failed("answer " + std::to_string(buttonId) + ": the box still shows after three clicks; " + State());
    return false;
}

bool CVelmoraRun::WaitExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (m_process.WaitExit(timeoutMs, exitCode))
        return true;
    ReportTimeout("wait for the program's end", timeoutMs);
    return false;
}

std::vector<std::string> CVelmoraRun::FeedbackCalls() const
{
    return JournalEntries(m_feedbackDir + L"\\feedback-calls.txt");
}

int CVelmoraRun::CountFeedbackCalls(const std::string& exportName) const
{
    int n = 0;
    for (const std::string& c : FeedbackCalls())
        if (c == exportName || c.rfind(exportName + "|", 0) == 0)
            ++n;
    return n;
}

std::vector<std::string> CVelmoraRun::WmicCalls() const
{
    return JournalEntries(m_standinDir + L"\\wmic-calls.txt");
}

std::vector<std::wstring> CVelmoraRun::LogLines(const std::wstring& file) const
{
    return ToolLogLines(file);
}

std::vector<std::wstring> ToolLogLines(const std::wstring& file)
{
    std::string bytes = ReadFileBytes(ToolLogDir() + L"\\" + file);
    if (bytes.empty())
        return {};
    int n = ::MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    std::vector<std::wstring> lines;
    for (const std::wstring& l : SplitLines(text))
        if (!l.empty())
            lines.push_back(l);
    return lines;
}

}  // namespace vt

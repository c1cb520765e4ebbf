#include "app/OneRun.h"

#include <sddl.h>

#include <string>

#include "framework/Paths.h"
#include "log/LogSave.h"

namespace {

// Only Administrators and SYSTEM may make or open the mark: a standard user
// cannot squat the name and so keep every run away.
const wchar_t* const kAdminsOnly = L"D:P(A;;GA;;;BA)(A;;GA;;;SY)";
const wchar_t* const kNamespace = L"Velmora";

// The namespace that only a process holding the Administrators group can
// make. Null where the system has none (wine): the caller falls back to a
// global name with the same access rule.
HANDLE OpenAdminNamespace(SECURITY_ATTRIBUTES* sa)
{
    HANDLE boundary = ::CreateBoundaryDescriptorW(kNamespace, 0);
    if (!boundary)
        return nullptr;
    BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof(sid);
    HANDLE ns = nullptr;
    if (::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) &&
        ::AddSIDToBoundaryDescriptor(&boundary, sid)) {
        ns = ::CreatePrivateNamespaceW(sa, boundary, kNamespace);
        if (!ns && ::GetLastError() == ERROR_ALREADY_EXISTS)
            ns = ::OpenPrivateNamespaceW(boundary, kNamespace);
    }
    ::DeleteBoundaryDescriptor(boundary);
    return ns;
}

// The file name of the program a process runs, empty when it cannot be read.
std::wstring ProgramNameOf(DWORD pid)
{
    CHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t path[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    if (!process || !::QueryFullProcessImageNameW(process.Get(), 0, path, &size))
        return {};
    return FileNameOf(path);
}

}  // namespace

COneRun::~COneRun()
{
    m_mutex.Reset();
    if (m_namespace)
        ::ClosePrivateNamespace(m_namespace, 0);
}

bool COneRun::Take()
{
    CLocalMemory descriptor;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminsOnly, SDDL_REVISION_1, &sd, nullptr))
        descriptor.Reset(sd);
    SECURITY_ATTRIBUTES sa = {sizeof(sa), descriptor.Get(), FALSE};
    m_namespace = OpenAdminNamespace(&sa);
    const wchar_t* name = m_namespace ? L"Velmora\\OneRun" : L"Global\\Velmora-OneRun";
    ::SetLastError(ERROR_SUCCESS);
    m_mutex.Reset(::CreateMutexW(descriptor ? &sa : nullptr, FALSE, name));
    const DWORD error = ::GetLastError();
    if (m_mutex && error == ERROR_ALREADY_EXISTS) {
        m_mutex.Reset();
        return false;
    }
    // A mark this run may not open was made by a run of another account.
    if (!m_mutex && error == ERROR_ACCESS_DENIED)
        return false;
    if (!m_mutex)
        LogToolLine("无法建立单次运行标记，错误 " + std::to_string(error));
    return true;
}

void BringRunningWindowToFront()
{
    struct SSearch { std::wstring program; HWND found; } search{FileNameOf(GetExePath()), nullptr};
    ::EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
            auto* s = reinterpret_cast<SSearch*>(l);
            wchar_t title[16] = {};
            DWORD pid = 0;
            ::GetWindowThreadProcessId(h, &pid);
            if (pid == ::GetCurrentProcessId() || !::GetWindowTextW(h, title, 16) || lstrcmpW(title, L"Velmora") != 0 ||
                lstrcmpiW(ProgramNameOf(pid).c_str(), s->program.c_str()) != 0)
                return TRUE;
            s->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return;
    // Asynchronous: a window that does not answer cannot hold this start.
    if (::IsIconic(search.found))
        ::ShowWindowAsync(search.found, SW_RESTORE);
    ::SetForegroundWindow(::GetLastActivePopup(search.found));
}

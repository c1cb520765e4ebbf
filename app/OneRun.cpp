#include "app/OneRun.h"

#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "app/OneRunRules.h"
#include "base/RunningImage.h"
#include "log/LogSave.h"

namespace {

// Only Administrators and SYSTEM may make or open the mark, and it is owned
// by Administrators, which a standard user cannot name as an owner: a mark
// under the global name that is not owned so is not another run's.
const wchar_t* const kAdminsOwnAdminsOnly = L"O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";
const wchar_t* const kAdminsOnly = L"D:P(A;;GA;;;BA)(A;;GA;;;SY)";
const wchar_t* const kNamespace = L"Velmora";
const wchar_t* const kPrivateName = L"Velmora\\OneRun";
const wchar_t* const kGlobalName = L"Global\\Velmora-OneRun";

// The namespace that only a process holding the Administrators group can
// make; null with the failed call's last error where there is none.
HANDLE OpenAdminNamespace(SECURITY_ATTRIBUTES* sa, DWORD& error)
{
    ::SetLastError(ERROR_SUCCESS);
    HANDLE boundary = ::CreateBoundaryDescriptorW(kNamespace, 0);
    if (!boundary) {
        error = ::GetLastError();
        return nullptr;
    }
    BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof(sid);
    HANDLE ns = nullptr;
    if (::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) &&
        ::AddSIDToBoundaryDescriptor(&boundary, sid)) {
        ::SetLastError(ERROR_SUCCESS);
        ns = ::CreatePrivateNamespaceW(sa, boundary, kNamespace);
        if (!ns && ::GetLastError() == ERROR_ALREADY_EXISTS) {
            ::SetLastError(ERROR_SUCCESS);
            ns = ::OpenPrivateNamespaceW(boundary, kNamespace);
        }
    }
    error = ::GetLastError();
    ::DeleteBoundaryDescriptor(boundary);
    return ns;
}

// The owner of an existing mark under name, as SID text; empty when it
// cannot be read. mark: a handle to it, or null to open one for the asking.
std::wstring OwnerOf(HANDLE mark, const wchar_t* name)
{
    CHandle opened;
    if (!mark) {
        opened.Reset(::OpenMutexW(READ_CONTROL, FALSE, name));
        mark = opened.Get();
    }
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!mark || ::GetSecurityInfo(mark, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                   nullptr, &sd) != ERROR_SUCCESS)
        return {};
    CLocalMemory descriptor(sd);
    LPWSTR text = nullptr;
    if (!owner || !::ConvertSidToStringSidW(owner, &text))
        return {};
    CLocalMemory textMemory(text);
    return text;
}

// A global mark that is not another run's: the run goes on, and says so.
bool IgnoreMark(const std::wstring& owner)
{
    LogToolLine(IgnoredMarkLogLine(kGlobalName, owner));
    return true;
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
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminsOwnAdminsOnly, SDDL_REVISION_1, &sd, nullptr))
        descriptor.Reset(sd);
    SECURITY_ATTRIBUTES sa = {sizeof(sa), descriptor.Get(), FALSE};
    DWORD namespaceError = 0;
    m_namespace = OpenAdminNamespace(&sa, namespaceError);
    const EMarkPlace place = MarkPlaceFor(m_namespace != nullptr, namespaceError);
    if (place == EMarkPlace::None) {
        LogToolLine("无法建立单次运行标记，错误 " + std::to_string(namespaceError));
        return true;
    }
    const wchar_t* name = place == EMarkPlace::PrivateNamespace ? kPrivateName : kGlobalName;
    ::SetLastError(ERROR_SUCCESS);
    m_mutex.Reset(::CreateMutexW(descriptor ? &sa : nullptr, FALSE, name));
    if (!m_mutex && ::GetLastError() == ERROR_INVALID_OWNER) {
        // A token that may not name Administrators as owner: the default
        // owner then (an elevated administrator's is Administrators).
        sd = nullptr;
        descriptor.Reset(::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminsOnly, SDDL_REVISION_1, &sd,
                                                                                 nullptr) ? sd : nullptr);
        sa.lpSecurityDescriptor = descriptor.Get();
        ::SetLastError(ERROR_SUCCESS);
        m_mutex.Reset(::CreateMutexW(descriptor ? &sa : nullptr, FALSE, name));
    }
    const DWORD error = ::GetLastError();
    if (m_mutex && error == ERROR_ALREADY_EXISTS) {
        const std::wstring owner =
            place == EMarkPlace::GlobalName ? OwnerOf(m_mutex.Get(), name) : std::wstring();
        m_mutex.Reset();
        return place == EMarkPlace::GlobalName && !MarkIsAnotherRuns(owner) && IgnoreMark(owner);
    }
    // A mark this run may not open: in the namespace, a run of another
    // account; under the global name, whoever owns it.
    if (!m_mutex && error == ERROR_ACCESS_DENIED) {
        if (place == EMarkPlace::PrivateNamespace)
            return false;
        const std::wstring owner = OwnerOf(nullptr, name);
        return !MarkIsAnotherRuns(owner) && IgnoreMark(owner);
    }
    if (!m_mutex)
        LogToolLine("无法建立单次运行标记，错误 " + std::to_string(error));
    return true;
}

void BringRunningWindowToFront()
{
    // Only a window of this very program file: a process elsewhere that is
    // named alike and titles its window alike is not this program's run.
    HWND found = nullptr;
    ::EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
            wchar_t title[16] = {};
            DWORD pid = 0;
            ::GetWindowThreadProcessId(h, &pid);
            if (pid == ::GetCurrentProcessId() || !::GetWindowTextW(h, title, 16) || lstrcmpW(title, L"Velmora") != 0 ||
                !RunsSameProgramFile(pid))
                return TRUE;
            *reinterpret_cast<HWND*>(l) = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (!found)
        return;
    // Asynchronous: a window that does not answer cannot hold this start.
    if (::IsIconic(found))
        ::ShowWindowAsync(found, SW_RESTORE);
    ::SetForegroundWindow(::GetLastActivePopup(found));
}

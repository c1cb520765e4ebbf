#include "system/SelfRemoval.h"

#include <windows.h>
#include <exdisp.h>
#include <knownfolders.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <sddl.h>
#include <shlobj.h>

#include <atomic>
#include <memory>
#include <vector>

#include "base/Handles.h"
#include "base/Paths.h"
#include "base/RunningImage.h"
#include "base/Text.h"
#include "base/Threads.h"
#include "log/LogSave.h"
#include "system/CommandRunner.h"

namespace {

CProgramFolder g_programFolder;

// How long the desktop's shell may take to start the command for after the end.
const DWORD kShellWaitMs = 10000;

// The long form of a path (a short 8.3 spelling names the same folder).
std::wstring LongPath(const std::wstring& path)
{
    std::wstring buf(32768, L'\0');
    DWORD n = ::GetLongPathNameW(path.c_str(), &buf[0], 32768);
    return n > 0 && n < 32768 ? buf.substr(0, n) : path;
}

bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

bool IsToolFileName(const std::wstring& name, const std::wstring& programName)
{
    return SameNameIgnoringCase(name, programName) || SameNameIgnoringCase(name, kDeviceToolName) ||
           SameNameIgnoringCase(name, kFeedbackLibraryName);
}

void AddFolder(std::vector<std::wstring>& out, const std::wstring& path)
{
    if (!path.empty())
        out.push_back(LongPath(path));
}

// Each folder also as it resolves (through any link on its way), where it
// can be opened: the program folder is judged by where it really is.
void AddFinalForms(std::vector<std::wstring>& folders)
{
    const size_t named = folders.size();
    for (size_t i = 0; i < named; ++i) {
        CFileHandle h(::CreateFileW(folders[i].c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        const std::wstring final = h ? FinalPath(h.Get()) : std::wstring();
        if (!final.empty())
            folders.push_back(final);
    }
}

std::wstring Expanded(const std::wstring& raw)
{
    wchar_t buf[MAX_PATH * 2] = {};
    DWORD n = ::ExpandEnvironmentStringsW(raw.c_str(), buf, MAX_PATH * 2);
    return n > 0 && n <= MAX_PATH * 2 ? std::wstring(buf) : raw;
}

std::wstring ReadString(HKEY key, const wchar_t* value)
{
    wchar_t raw[MAX_PATH * 2] = {};
    DWORD size = sizeof(raw) - sizeof(wchar_t), type = 0;
    if (::RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(raw), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return raw;
}

const wchar_t kProfileList[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

// Every account's profile folder, by its security identifier.
using Profiles = std::vector<std::pair<std::wstring, std::wstring>>;

Profiles ProfilesBySid()
{
    Profiles out;
    CRegKey list;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, list.Out()) != ERROR_SUCCESS)
        return out;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (::RegEnumKeyExW(list.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        CRegKey profile;
        if (::RegOpenKeyExW(list.Get(), name, 0, KEY_READ, profile.Out()) == ERROR_SUCCESS) {
            std::wstring path = Expanded(ReadString(profile.Get(), L"ProfileImagePath"));
            if (!path.empty())
                out.emplace_back(name, path);
        }
    }
    return out;
}

// The known folders (Desktop, Documents, Downloads, ...) of every account
// whose settings are loaded, such as the standard user on whose desktop an
// administrator's password started the tool; their own profile folder stands
// for %USERPROFILE%.
void AddLoadedAccountsShellFolders(std::vector<std::wstring>& out, const Profiles& profiles)
{
    for (const auto& [sid, profile] : profiles) {
        const std::wstring keyPath = sid + L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
        CRegKey key;
        if (::RegOpenKeyExW(HKEY_USERS, keyPath.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS)
            continue;
        wchar_t value[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = 256;
            if (::RegEnumValueW(key.Get(), i, value, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            std::wstring raw = ReadString(key.Get(), value);
            const std::wstring var = L"%USERPROFILE%";
            if (_wcsnicmp(raw.c_str(), var.c_str(), var.size()) == 0)
                raw = profile + raw.substr(var.size());
            AddFolder(out, Expanded(raw));
        }
    }
}

std::vector<std::wstring> ProtectedFolders(const Profiles& profiles)
{
    std::vector<std::wstring> out;
    wchar_t buf[MAX_PATH + 1];
    const int csidls[] = {
        CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYMUSIC,
        CSIDL_MYPICTURES, CSIDL_MYVIDEO, CSIDL_FAVORITES, CSIDL_TEMPLATES, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
        CSIDL_COMMON_APPDATA, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_MUSIC,
        CSIDL_COMMON_PICTURES, CSIDL_COMMON_VIDEO, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU,
    };
    for (int csidl : csidls) {
        buf[0] = L'\0';
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)))
            AddFolder(out, buf);
    }
    const KNOWNFOLDERID* known[] = {
        &FOLDERID_Downloads, &FOLDERID_Public, &FOLDERID_PublicDownloads, &FOLDERID_SavedGames,
        &FOLDERID_Contacts, &FOLDERID_Links, &FOLDERID_SkyDrive,
    };
    for (const KNOWNFOLDERID* id : known) {
        CCoTaskMemory path;
        if (SUCCEEDED(::SHGetKnownFolderPath(*id, 0, nullptr, reinterpret_cast<PWSTR*>(path.Out()))) && path)
            AddFolder(out, static_cast<const wchar_t*>(path.Get()));
    }
    DWORD n = ::GetTempPathW(MAX_PATH + 1, buf);
    if (n > 0 && n <= MAX_PATH)
        AddFolder(out, buf);
    AddLoadedAccountsShellFolders(out, profiles);
    return out;
}

std::vector<std::wstring> ProfileFolders(const Profiles& profiles)
{
    std::vector<std::wstring> out;
    for (const auto& entry : profiles)
        AddFolder(out, entry.second);
    CRegKey list;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, list.Out()) == ERROR_SUCCESS) {
        const std::wstring root = Expanded(ReadString(list.Get(), L"ProfilesDirectory"));
        for (const wchar_t* value : {L"Default", L"Public"}) {
            std::wstring p = Expanded(ReadString(list.Get(), value));
            if (!p.empty() && p.find(L'\\') == std::wstring::npos && !root.empty())
                p = root + L"\\" + p;   // older systems keep only the name
            AddFolder(out, p);
        }
    }
    wchar_t buf[MAX_PATH + 1] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, buf)))
        AddFolder(out, buf);
    return out;
}

bool ListEntries(HANDLE folder, std::vector<SRemovalEntry>& out)
{
    // Through a handle of its own, reopened from the held one (no path): a
    // handle that has listed once may answer later listings from what it saw
    // then (wine's does), missing what came since.
    CFileHandle fresh(::ReOpenFile(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_FLAG_BACKUP_SEMANTICS));
    std::vector<SFolderEntry> listed;
    if (!fresh || !ListFolder(fresh.Get(), listed))
        return false;
    out.clear();
    for (const SFolderEntry& e : listed)
        out.push_back({e.name, e.index,
                       (e.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0});
    return true;
}

// The folder behind a link at the folder's own name, followed on purpose and
// held the same way; the removal then treats it as reached through a link.
CFileHandle OpenFolderFollowingLink(const std::wstring& path)
{
    CFileHandle folder(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    SFileIdentity id;
    if (!folder || !ReadIdentity(folder.Get(), id) || !id.IsFolder())
        return CFileHandle();
    return folder;
}

// <folder>\ToolLog when it is the very folder this run's log made, not a
// link, not another folder put at that name since.
CFileHandle OpenMadeLogFolder(HANDLE folder, DWORD extraAccess)
{
    CFileHandle log = OpenInFolder(folder, kLogFolderName, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | extraAccess,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                                   FILE_DIRECTORY_FILE);
    SFileIdentity id;
    if (!log || !ReadIdentity(log.Get(), id) || !id.IsFolder() || id.IsLink() ||
        !IsOpenedAsNamed(folder, log.Get(), kLogFolderName))
        return CFileHandle();
    for (const SMadeLogFolder& made : LogFoldersMadeByThisRun())
        if (made.identity.SameFileAs(id))
            return log;
    return CFileHandle();
}

void LogKept(const char* reason, const std::wstring& name)
{
    LogToolLine(reason + WideToUtf8(name));
}

// ---- the desktop's shell ----------------------------------------------------

// Set once for the process: calls into it only from Administrators and
// SYSTEM, and no custom marshalling (an object the shell hands over cannot
// make this process load a library to unmarshal it).
std::atomic<bool> g_comSecured{false};

bool SetComSecurity()
{
    static std::vector<BYTE> absolute, dacl, sacl, owner, group;
    PSECURITY_DESCRIPTOR relative = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAG:BAD:(A;;0x3;;;BA)(A;;0x3;;;SY)",
                                                                 SDDL_REVISION_1, &relative, nullptr))
        return false;
    CLocalMemory relativeMemory(relative);
    DWORD sizes[5] = {};
    ::MakeAbsoluteSD(relative, nullptr, &sizes[0], nullptr, &sizes[1], nullptr, &sizes[2], nullptr, &sizes[3],
                     nullptr, &sizes[4]);
    absolute.assign(sizes[0] ? sizes[0] : 1, 0);
    dacl.assign(sizes[1] ? sizes[1] : 1, 0);
    sacl.assign(sizes[2] ? sizes[2] : 1, 0);
    owner.assign(sizes[3] ? sizes[3] : 1, 0);
    group.assign(sizes[4] ? sizes[4] : 1, 0);
    if (!::MakeAbsoluteSD(relative, absolute.data(), &sizes[0], reinterpret_cast<PACL>(dacl.data()), &sizes[1],
                          reinterpret_cast<PACL>(sacl.data()), &sizes[2], owner.data(), &sizes[3], group.data(),
                          &sizes[4]))
        return false;
    const HRESULT hr = ::CoInitializeSecurity(absolute.data(), -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                              RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NO_CUSTOM_MARSHAL, nullptr);
    return SUCCEEDED(hr);
}

// On a thread in COM: whether the process's COM security is this program's.
bool ComSecured()
{
    if (!g_comSecured && SetComSecurity())
        g_comSecured = true;
    return g_comSecured;
}

struct SShellCall {
    std::wstring file, params, folder;
    std::atomic<bool> abandoned{false};   // the caller stopped waiting: start nothing
    std::atomic<bool> started{false};
};

enum class EShellAnswer { NoShell, Refused, Started };

// The desktop window's shell view hands out the shell's own automation
// object, whose ShellExecute runs in the shell's process.
EShellAnswer ShellExecuteInDesktopShell(SShellCall& call)
{
    CComPtr<IShellWindows> windows;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                  windows.OutVoid())) || !windows)
        return EShellAnswer::NoShell;
    VARIANT none;
    ::VariantInit(&none);
    long hwnd = 0;
    CComPtr<IDispatch> desktop;
    if (windows->FindWindowSW(&none, &none, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, desktop.Out()) != S_OK ||
        !desktop)
        return EShellAnswer::NoShell;
    CComPtr<IServiceProvider> services;
    CComPtr<IShellBrowser> browser;
    CComPtr<IShellView> view;
    CComPtr<IDispatch> background;
    CComPtr<IShellFolderViewDual> folderView;
    CComPtr<IDispatch> application;
    CComPtr<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.OutVoid())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Out())) || !view ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.OutVoid())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.OutVoid())) ||
        FAILED(folderView->get_Application(application.Out())) || !application ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.OutVoid())))
        return EShellAnswer::NoShell;
    const CBstr file(::SysAllocStringLen(call.file.c_str(), static_cast<UINT>(call.file.size())));
    const CVariant params(call.params), folder(call.folder), verb(std::wstring(L"open")), show(SW_HIDE);
    if (file && params.Ok() && folder.Ok() && verb.Ok() && !call.abandoned &&
        SUCCEEDED(shell->ShellExecute(file.Get(), params.Get(), folder.Get(), verb.Get(), show.Get())))
        return EShellAnswer::Started;
    return EShellAnswer::Refused;
}

// The call is shared with the caller, who may have stopped waiting.
void ShellCallThread(const std::shared_ptr<SShellCall>& call)
{
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
        return;
    // Security that another part of the process set first (custom
    // marshalling allowed, perhaps) is not what the shell is asked under.
    if (!ComSecured()) {
        ::CoUninitialize();
        return;
    }
    // A shell that is (re)starting has no desktop window to offer yet: asked
    // again until the caller stops waiting. Once asked to start the command,
    // never again, whatever it answered.
    EShellAnswer answer = EShellAnswer::NoShell;
    while ((answer = ShellExecuteInDesktopShell(*call)) == EShellAnswer::NoShell && !call->abandoned)
        ::Sleep(250);
    call->started = answer == EShellAnswer::Started;
    ::CoUninitialize();
}

}  // namespace

bool SecureComAtStart()
{
    // This thread stays in COM until the process ends, so the security set
    // now holds for every later call.
    return SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) && ComSecured();
}

bool StartThroughDesktopShell(const std::wstring& file, const std::wstring& params, const std::wstring& folder,
                              unsigned long timeoutMs)
{
    // On a thread of its own: the calls go to another process, which may
    // hang, and the thread's apartment must be single-threaded for the shell.
    auto call = std::make_shared<SShellCall>();
    call->file = file;
    call->params = params;
    call->folder = folder;
    const CHandle thread = StartThread([call] { ShellCallThread(call); });
    if (!thread)
        return false;
    if (::WaitForSingleObject(thread.Get(), timeoutMs) != WAIT_OBJECT_0) {
        call->abandoned = true;
        return false;
    }
    return call->started;
}

std::vector<std::wstring> ProtectedFolders()
{
    return ProtectedFolders(ProfilesBySid());
}

std::vector<std::wstring> ProfileFolders()
{
    return ProfileFolders(ProfilesBySid());
}

bool CProgramFolder::Note(const std::wstring& folder, const std::wstring& programName)
{
    m_started = LongPath(folder);
    m_programName = programName;
    m_folder = OpenFolderAsIs(m_started);
    m_asIs = static_cast<bool>(m_folder);
    if (!m_folder)
        m_folder = OpenFolderFollowingLink(m_started);
    if (!m_folder || !ListEntries(m_folder.Get(), m_atStart)) {
        m_folder.Reset();
        return false;
    }
    m_finalAtStart = FinalPath(m_folder.Get());
    m_shipped.clear();
    for (const SRemovalEntry& e : m_atStart) {
        if (!IsToolFileName(e.name, programName))
            continue;
        CFileHandle file = OpenInFolder(m_folder.Get(), e.name, FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                                        FILE_NON_DIRECTORY_FILE);
        SFileIdentity id;
        if (file && ReadIdentity(file.Get(), id))
            m_shipped.emplace_back(e.name, id);
    }
    return true;
}

bool CProgramFolder::HoldsRunningProgram() const
{
    if (!m_folder)
        return false;
    // The very file, by volume and file ID: a copy of the program (alike to
    // the byte) in a folder put at the program's path is not it.
    CFileHandle program = OpenInFolder(m_folder.Get(), m_programName, FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                                       FILE_NON_DIRECTORY_FILE);
    return program && IsRunningImageFile(program.Get());
}

CProgramFolder::EOpened CProgramFolder::OpenOwnFile(HANDLE folder, const std::wstring& name, DWORD access,
                                                   CFileHandle& file, SFileIdentity& id) const
{
    file = OpenInFolder(folder, name, access | FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, FILE_NON_DIRECTORY_FILE);
    if (!file) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EOpened::Gone : EOpened::Refused;
    }
    if (!IsOpenedAsNamed(folder, file.Get(), name) || !ReadIdentity(file.Get(), id) || !id.IsPlainFile())
        return EOpened::Changed;
    if (!IsToolFileName(name, m_programName))
        return EOpened::Ok;
    for (const auto& [shippedName, atStart] : m_shipped)
        if (SameNameIgnoringCase(shippedName, name))
            return atStart.SameFileAs(id) ? EOpened::Ok : EOpened::Changed;
    return EOpened::Changed;
}

SSelfRemovalFacts CProgramFolder::Gather() const
{
    SSelfRemovalFacts f;
    f.startedPath = m_started;
    f.programName = m_programName;
    f.held = Held();
    if (!f.held)
        return f;
    f.heldAsIs = m_asIs;
    f.finalPathAtStart = m_finalAtStart;
    f.finalPathNow = FinalPath(m_folder.Get());
    f.atStart = m_atStart;
    // A folder that cannot be listed now shows nothing to take: the plan then
    // removes nothing from it.
    ListEntries(m_folder.Get(), f.now);
    CFileHandle log = OpenMadeLogFolder(m_folder.Get(), 0);
    f.logFolderMadeByRun = log && ListEntries(log.Get(), f.logNow);
    const Profiles profiles = ProfilesBySid();
    f.protectedFolders = ProtectedFolders(profiles);
    f.profileFolders = ProfileFolders(profiles);
    AddFinalForms(f.protectedFolders);
    AddFinalForms(f.profileFolders);
    return f;
}

void CProgramFolder::DeleteInFolder(HANDLE folder, const SRemovalEntry& entry) const
{
    CFileHandle file;
    SFileIdentity id;
    switch (OpenOwnFile(folder, entry.name, DELETE | FILE_WRITE_ATTRIBUTES, file, id)) {
    case EOpened::Gone:
        return;
    case EOpened::Changed:
        LogKept(RemovalLog::kChangedSinceStart, entry.name);
        return;
    case EOpened::Refused:
        LogKept(RemovalLog::kDeleteFailed, entry.name);
        return;
    case EOpened::Ok:
        break;
    }
    // A read-only file is not deleted: it stops being read-only first, and is
    // again if it stays.
    FILE_BASIC_INFO basic{};
    const bool readOnly = (id.attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) {
        basic.FileAttributes = (id.attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
        ::SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof(basic));
    }
    if (DeleteOpened(file.Get()))
        return;
    if (readOnly) {
        basic.FileAttributes = id.attributes;
        ::SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof(basic));
    }
    LogKept(RemovalLog::kDeleteFailed, entry.name);
}

bool CProgramFolder::CarryOut(const SSelfRemovalPlan& plan) const
{
    for (const SKeptEntry& k : plan.kept)
        LogKept(k.reason, k.name);
    if (!plan.safe || !Held())
        return false;

    for (const SRemovalEntry& e : plan.removeNow)
        DeleteInFolder(m_folder.Get(), e);
    if (plan.logFolderNow) {
        // Its writers hold it, without delete sharing, for as long as they
        // may write there: they let go of it first.
        CFileHandle listing = OpenMadeLogFolder(m_folder.Get(), 0);
        SFileIdentity id;
        if (listing && ReadIdentity(listing.Get(), id))
            LetGoOfLogFolder(id);
        listing.Reset();
        CFileHandle log = OpenMadeLogFolder(m_folder.Get(), DELETE);
        if (log) {
            for (const SRemovalEntry& e : plan.logFilesNow)
                DeleteInFolder(log.Get(), e);
            // Only when empty; it goes as the handle closes. One that stays
            // held something else, which is not the tool's to report.
            DeleteOpened(log.Get());
        }
    }

    // The program and the library go after the end, by path: each only if it
    // is, as the run ends, still the very file the tool brought.
    SSelfRemovalPlan later = plan;
    later.removeLater.clear();
    std::wstring names;
    for (const std::wstring& path : plan.removeLater) {
        const std::wstring name = FileNameOf(path);
        CFileHandle file;
        SFileIdentity id;
        const EOpened opened = OpenOwnFile(m_folder.Get(), name, 0, file, id);
        if (opened != EOpened::Ok) {
            if (opened != EOpened::Gone)
                LogKept(RemovalLog::kChangedSinceStart, name);
            continue;
        }
        later.removeLater.push_back(path);
        names += (names.empty() ? L"" : L", ") + name;
    }
    const std::wstring system = SystemFolder();
    const std::wstring params = SelfRemovalParameters(later, system);
    if (params.empty())
        return false;
    // Started by the shell, never with this program's own rights: after the
    // end nothing runs elevated on a path somebody else can change. The
    // interpreter must not stand inside the folder it removes (it could not
    // remove it), so it starts in the system folder.
    if (StartThroughDesktopShell(system + L"\\cmd.exe", params, system, kShellWaitMs))
        return true;
    LogKept(RemovalLog::kNoShell, names.empty() ? later.folderLater : names);
    return false;
}

void NoteProgramFolderAtStart()
{
    const std::wstring& program = RunningImagePath();
    const std::wstring folder = FolderOf(program);
    // A folder that cannot be held is never removed, and the end of the run
    // says so. Nor is one that is not where the program runs from: the path
    // is looked up again here, and a user may have put another folder at it
    // since the start (files there that bear the tool's names are not its own).
    if (!folder.empty() && g_programFolder.Note(folder, FileNameOf(program)) &&
        !g_programFolder.HoldsRunningProgram())
        g_programFolder.LetGo();
}

void StartSelfRemoval()
{
    // What stays has its line in the log already; nobody else is to be told.
    g_programFolder.CarryOut(PlanSelfRemoval(g_programFolder.Gather()));
}

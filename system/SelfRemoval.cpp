#include "system/SelfRemoval.h"

#include <windows.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include "framework/Handles.h"
#include "framework/InFolder.h"
#include "framework/Paths.h"
#include "log/LogSave.h"
#include "system/CommandRunner.h"

namespace {

bool g_startListed = false;
std::vector<std::wstring> g_filesAtStart;

// The long form of a path (a short 8.3 spelling names the same folder).
std::wstring LongPath(const std::wstring& path)
{
    std::wstring buf(32768, L'\0');
    DWORD n = ::GetLongPathNameW(path.c_str(), &buf[0], 32768);
    return n > 0 && n < 32768 ? buf.substr(0, n) : path;
}

void AddFolder(std::vector<std::wstring>& out, const std::wstring& path)
{
    if (!path.empty())
        out.push_back(LongPath(path));
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

}  // namespace

std::vector<std::wstring> FileNamesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    CFindHandle find(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                        nullptr, 0));
    if (!find)
        return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    } while (::FindNextFileW(find.Get(), &fd));
    return names;
}

std::vector<std::wstring> ProtectedFolders()
{
    return ProtectedFolders(ProfilesBySid());
}

std::vector<std::wstring> ProfileFolders()
{
    return ProfileFolders(ProfilesBySid());
}

void NoteProgramFolderAtStart()
{
    const std::wstring folder = GetExeDir();
    if (folder.empty() || ::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    g_filesAtStart = FileNamesIn(folder);
    g_startListed = true;
}

SSelfRemovalFacts GatherRemovalFacts(const std::wstring& folder, const std::wstring& programName,
                                     const std::vector<std::wstring>* filesAtStart)
{
    SSelfRemovalFacts f;
    f.folder = LongPath(folder);
    f.programName = programName;
    f.startListed = filesAtStart != nullptr;
    if (filesAtStart)
        f.filesAtStart = *filesAtStart;
    f.filesNow = FileNamesIn(f.folder);
    const std::wstring logFolder = f.folder + L"\\" + kLogFolderName;
    // The folder there now is the run's only if it is the very folder it made.
    SFileIdentity there;
    CFileHandle held = OpenFolderAsIs(logFolder);
    if (held && ReadIdentity(held.Get(), there))
        for (const SMadeLogFolder& made : LogFoldersMadeByThisRun())
            if (made.identity.SameFileAs(there))
                f.logFolderMadeByRun = true;
    if (f.logFolderMadeByRun)
        f.logFilesNow = FileNamesIn(logFolder);
    const Profiles profiles = ProfilesBySid();
    f.protectedFolders = ProtectedFolders(profiles);
    f.profileFolders = ProfileFolders(profiles);
    return f;
}

bool CarryOutSelfRemoval(const SSelfRemovalPlan& plan)
{
    if (!plan.safe)
        return false;
    for (const std::wstring& file : plan.removeNow) {
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(file.c_str());
    }
    // Only when empty: RemoveDirectory takes nothing with it.
    if (!plan.logFolderNow.empty() && !IsLink(plan.logFolderNow)) {
        // Its writers hold it for as long as they may write there.
        for (const SMadeLogFolder& made : LogFoldersMadeByThisRun())
            if (_wcsicmp(LongPath(made.path).c_str(), plan.logFolderNow.c_str()) == 0)
                LetGoOfLogFolder(made.identity);
        ::RemoveDirectoryW(plan.logFolderNow.c_str());
    }

    const std::wstring system = SystemFolder();
    const std::wstring params = SelfRemovalParameters(plan, system);
    if (params.empty())
        return false;
    // The interpreter by its full path; it must not stand inside the folder it
    // removes (it could not remove it), so it starts in the system folder.
    const std::wstring cmd = system + L"\\cmd.exe";
    HINSTANCE r = ::ShellExecuteW(nullptr, L"open", cmd.c_str(), params.c_str(), system.c_str(), SW_HIDE);
    return reinterpret_cast<INT_PTR>(r) > 32;
}

bool StartSelfRemoval()
{
    const std::wstring program = ProgramPath();
    const size_t slash = program.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return true;
    const SSelfRemovalFacts facts = GatherRemovalFacts(program.substr(0, slash), program.substr(slash + 1),
                                                       g_startListed ? &g_filesAtStart : nullptr);
    CarryOutSelfRemoval(PlanSelfRemoval(facts));
    return true;
}

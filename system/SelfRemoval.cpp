#include "system/SelfRemoval.h"

#include <windows.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include "system/RepairRules.h"

namespace {

// The long form of a path (a short 8.3 spelling names the same folder).
std::wstring LongPath(const std::wstring& path)
{
    wchar_t buf[32768];
    DWORD n = ::GetLongPathNameW(path.c_str(), buf, 32768);
    return n > 0 && n < 32768 ? std::wstring(buf, n) : path;
}

void AddFolder(std::vector<std::wstring>& out, const std::wstring& path)
{
    if (!path.empty())
        out.push_back(LongPath(path));
}

std::wstring SystemFolder()
{
    wchar_t buf[MAX_PATH + 1] = {};
    UINT n = ::GetSystemDirectoryW(buf, MAX_PATH);
    return n > 0 && n <= MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

// Every profile of the machine (other users' too) and the profiles folder.
void AddProfiles(std::vector<std::wstring>& out)
{
    HKEY list = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", 0,
                        KEY_READ, &list) != ERROR_SUCCESS)
        return;
    auto addExpanded = [&](HKEY key, const wchar_t* value) {
        wchar_t raw[MAX_PATH * 2] = {}, expanded[MAX_PATH * 2] = {};
        DWORD size = sizeof(raw) - sizeof(wchar_t);
        if (::RegQueryValueExW(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(raw), &size) != ERROR_SUCCESS)
            return;
        DWORD n = ::ExpandEnvironmentStringsW(raw, expanded, MAX_PATH * 2);
        AddFolder(out, n > 0 && n <= MAX_PATH * 2 ? expanded : raw);
    };
    addExpanded(list, L"ProfilesDirectory");
    addExpanded(list, L"Default");
    addExpanded(list, L"Public");
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (::RegEnumKeyExW(list, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY profile = nullptr;
        if (::RegOpenKeyExW(list, name, 0, KEY_READ, &profile) == ERROR_SUCCESS) {
            addExpanded(profile, L"ProfileImagePath");
            ::RegCloseKey(profile);
        }
    }
    ::RegCloseKey(list);
}

}  // namespace

std::vector<std::wstring> ProtectedFolders()
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
        PWSTR path = nullptr;
        if (SUCCEEDED(::SHGetKnownFolderPath(*id, 0, nullptr, &path)) && path)
            AddFolder(out, path);
        ::CoTaskMemFree(path);
    }
    DWORD n = ::GetTempPathW(MAX_PATH + 1, buf);
    if (n > 0 && n <= MAX_PATH)
        AddFolder(out, buf);
    AddProfiles(out);
    return out;
}

bool StartFolderRemoval(const std::wstring& folder, const std::wstring& programName,
                        const std::vector<std::wstring>& protectedFolders)
{
    std::wstring params = SelfRemovalParameters(LongPath(folder), programName, protectedFolders);
    std::wstring system = SystemFolder();
    if (params.empty() || system.empty())
        return false;
    // The interpreter by its full path; it must not stand inside the folder it
    // removes (it could empty it, not remove it), so it starts in the system folder.
    std::wstring cmd = system + L"\\cmd.exe";
    HINSTANCE r = ::ShellExecuteW(nullptr, L"open", cmd.c_str(), params.c_str(), system.c_str(), SW_HIDE);
    return reinterpret_cast<INT_PTR>(r) > 32;
}

bool StartSelfRemoval()
{
    wchar_t buf[261] = {};
    ::GetModuleFileNameW(nullptr, buf, 260);
    std::wstring path(buf);
    size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return true;
    StartFolderRemoval(path.substr(0, slash), path.substr(slash + 1), ProtectedFolders());
    return true;
}

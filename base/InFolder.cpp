#include "base/InFolder.h"

#include <winternl.h>

#include <cstring>

#include "base/AsciiRules.h"
namespace {

bool Failed(NTSTATUS status)
{
    if (status >= 0)
        return false;
    ::SetLastError(::RtlNtStatusToDosError(status));
    return true;
}

// The folder's path as the system reports it, for comparing names: no
// "\\?\" prefix, no trailing backslash, ASCII letters folded.
std::wstring Comparable(std::wstring path)
{
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        path.erase(0, 4);
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return UpperAscii(path);
}

}  // namespace

CFileHandle OpenFolderAsIs(const std::wstring& path, DWORD extraAccess)
{
    // Asked by path as well: where links are not reparse points of their own
    // (a system that follows them on open), the path still says what it is.
    std::wstring asIs = path;
    while (asIs.size() > 3 && (asIs.back() == L'\\' || asIs.back() == L'/'))
        asIs.pop_back();   // with a separator at its end, the link's folder would be asked
    const DWORD attributes = ::GetFileAttributesW(asIs.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return CFileHandle();
    CFileHandle folder(::CreateFileW(asIs.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE | extraAccess,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    SFileIdentity id;
    if (!folder || !ReadIdentity(folder.Get(), id) || !id.IsFolder() || id.IsLink())
        return CFileHandle();
    return folder;
}

CFileHandle OpenInFolder(HANDLE folder, const std::wstring& name, DWORD access, DWORD share, DWORD disposition,
                         DWORD options)
{
    // One name, nothing that climbs out of the folder or walks into another.
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"\\/") != std::wstring::npos ||
        name.size() > 255) {
        ::SetLastError(ERROR_INVALID_NAME);
        return CFileHandle();
    }
    UNICODE_STRING relative;
    relative.Buffer = const_cast<PWSTR>(name.c_str());
    relative.Length = relative.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &relative, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE h = nullptr;
    const NTSTATUS status = ::NtCreateFile(&h, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                                           share, disposition,
                                           options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (Failed(status))
        return CFileHandle();
    return CFileHandle(h);
}

bool ReadIdentity(HANDLE h, SFileIdentity& out)
{
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandle(h, &info))
        return false;
    out.volume = info.dwVolumeSerialNumber;
    out.index = (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    out.attributes = info.dwFileAttributes;
    out.links = info.nNumberOfLinks;
    // The reparse tag is the surer word on whether the name is a link.
    if (::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof(tag)))
        out.attributes |= tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    return true;
}

bool ListFolder(HANDLE folder, std::vector<SFolderEntry>& out)
{
    out.clear();
    std::vector<unsigned char> buffer(64 * 1024);
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!::GetFileInformationByHandleEx(folder, kind, buffer.data(), static_cast<DWORD>(buffer.size())))
            return ::GetLastError() == ERROR_NO_MORE_FILES;
        kind = FileIdBothDirectoryInfo;
        size_t offset = 0;
        for (;;) {
            const auto* e = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + offset);
            std::wstring name(e->FileName, e->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..")
                out.push_back({name, static_cast<ULONGLONG>(e->FileId.QuadPart), e->FileAttributes});
            if (e->NextEntryOffset == 0)
                break;
            offset += e->NextEntryOffset;
        }
    }
}

std::wstring FinalPath(HANDLE h)
{
    std::wstring path(MAX_PATH, L'\0');
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD n = ::GetFinalPathNameByHandleW(h, &path[0], static_cast<DWORD>(path.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.assign(n + 1, L'\0');
    }
    return {};
}

bool IsOpenedAsNamed(HANDLE folder, HANDLE h, const std::wstring& name)
{
    SFileIdentity id;
    if (!ReadIdentity(h, id) || id.IsLink())
        return false;
    // Where a link is followed on open (wine's host links), the final path
    // tells: it leads out of the folder, or to another name in it.
    const std::wstring folderPath = Comparable(FinalPath(folder)), path = Comparable(FinalPath(h));
    if (folderPath.empty() || path.size() <= folderPath.size() + 1 ||
        path.compare(0, folderPath.size() + 1, folderPath + L"\\") != 0)
        return false;
    const std::wstring finalName = path.substr(folderPath.size() + 1);
    std::wstring asked = Comparable(name);
    if (finalName == asked)
        return true;
    // Some systems report a name that ends in dots or blanks without them.
    while (!asked.empty() && (asked.back() == L'.' || asked.back() == L' '))
        asked.pop_back();
    return asked.size() < name.size() && finalName == asked;
}

bool DeleteOpened(HANDLE h)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

bool RenameInFolder(HANDLE h, HANDLE folder, const std::wstring& newName, bool replace)
{
    if (newName.empty() || newName.find_first_of(L"\\/") != std::wstring::npos || newName.size() > 255) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // Through the native call: the documented wrapper does not take a folder
    // handle on every system this runs on.
    const size_t bytes = sizeof(FILE_RENAME_INFO) + newName.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(bytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = folder;
    info->FileNameLength = static_cast<DWORD>(newName.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, newName.c_str(), info->FileNameLength);
    IO_STATUS_BLOCK io{};
    return !Failed(::NtSetInformationFile(h, &io, info, static_cast<ULONG>(bytes),
                                          static_cast<FILE_INFORMATION_CLASS>(10 /* FileRenameInformation */)));
}

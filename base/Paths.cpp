#include "base/Paths.h"

#include <windows.h>

std::wstring GetExePath()
{
    wchar_t buf[261] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, buf, 260);
    return n > 0 && n < 260 ? std::wstring(buf, n) : std::wstring();
}

std::wstring GetExeDir()
{
    return FolderOf(GetExePath());
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring FileNameOf(const std::wstring& path)
{
    return path.substr(path.find_last_of(L'\\') + 1);
}

bool IsLink(std::wstring path)
{
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

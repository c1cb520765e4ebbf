// First version: appends "message\r\n" in code page 936 to <root>ToolLog\<file>.
#include "log/LogSave.h"

#include <windows.h>
#include <shlobj.h>

namespace {
std::wstring g_strLogRoot;

std::wstring FromUtf8(const std::string& s)
{
    int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}
}  // namespace

CLogSave* CLogSave::GetInstance()
{
    static CLogSave instance(g_strLogRoot);
    return &instance;
}

CLogSave* CLogSave::GetInstance(const std::wstring& root)
{
    g_strLogRoot = root;
    static CLogSave instance(g_strLogRoot);
    return &instance;
}

CLogSave::CLogSave(const std::wstring& root)
{
    std::wstring base = root;
    if (base.empty()) {
        wchar_t buf[MAX_PATH] = {};
        if (::SHGetSpecialFolderPathW(nullptr, buf, CSIDL_COMMON_APPDATA, FALSE))
            base = std::wstring(buf) + L"\\";
    }
    m_strLogDir = base + L"ToolLog";
    ::CreateDirectoryW(m_strLogDir.c_str(), nullptr);
    m_strLogDir += L"\\";
}

CLogSave::~CLogSave() = default;

void CLogSave::Log(std::string message, std::string fileName, bool force)
{
    if (!force)
        return;
    std::wstring path = m_strLogDir + FromUtf8(fileName);
    HANDLE h = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    std::wstring wide = FromUtf8(message) + L"\r\n";
    int len = ::WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(len > 0 ? len : 0), '\0');
    if (len > 0)
        ::WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0], len, nullptr, nullptr);
    DWORD n = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    ::CloseHandle(h);
}

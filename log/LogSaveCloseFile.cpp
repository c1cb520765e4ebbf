#include "log/LogSaveCloseFile.h"

#include <algorithm>
#include <climits>

#include "framework/Handles.h"
#include "framework/Paths.h"
#include "log/LogRules.h"

namespace {

class CLockScope {
public:
    explicit CLockScope(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~CLockScope() { ::LeaveCriticalSection(&m_cs); }
    CLockScope(const CLockScope&) = delete;
    CLockScope& operator=(const CLockScope&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

// Writers of other savers or processes that append to the same file take
// turns on one byte far past any real end of file. The wait is bounded: after
// about two seconds the entry is written anyway.
class CAppendTurn {
public:
    explicit CAppendTurn(HANDLE h) : m_h(h)
    {
        for (int i = 0; i < 200 && !m_locked; ++i) {
            OVERLAPPED o = Region();
            m_locked = ::LockFileEx(m_h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o) != 0;
            if (!m_locked)
                ::Sleep(10);
        }
    }
    ~CAppendTurn()
    {
        if (m_locked) {
            OVERLAPPED o = Region();
            ::UnlockFileEx(m_h, 0, 1, 0, &o);
        }
    }
    CAppendTurn(const CAppendTurn&) = delete;
    CAppendTurn& operator=(const CAppendTurn&) = delete;

private:
    static OVERLAPPED Region()
    {
        OVERLAPPED o{};
        o.OffsetHigh = 0x40000000;
        return o;
    }
    HANDLE m_h;
    bool m_locked = false;
};

bool WriteAll(HANDLE h, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& utf8)
{
    if (utf8.empty() || utf8.size() > INT_MAX)
        return {};
    const int len = static_cast<int>(utf8.size());
    int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), len, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), len, &out[0], n);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

std::string Utf8ToCodePage936(const std::string& utf8)
{
    std::wstring wide = Utf8ToWide(utf8);
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    const int len = static_cast<int>(wide.size());
    int n = ::WideCharToMultiByte(936, 0, wide.data(), len, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<size_t>(n), '\0');
    n = ::WideCharToMultiByte(936, 0, wide.data(), len, &out[0], n, nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

CLogSaveCloseFile::CLogSaveCloseFile(const std::wstring& logDir) : CLogBase(logDir)
{
    ::InitializeCriticalSectionAndSpinCount(&m_lock, 0);
}

CLogSaveCloseFile::~CLogSaveCloseFile()
{
    ::DeleteCriticalSection(&m_lock);
}

void CLogSaveCloseFile::SaveText(std::string text, std::string fileName)
{
    CPacketLog packet;
    packet.SetContent(text);
    packet.SetFileName(fileName);
    SavePacket(&packet);
}

void CLogSaveCloseFile::SavePacket(const CPacketLog* packet)
{
    if (!packet)
        return;
    // Everything below, rotation included, happens under the lock; every way
    // out releases it and closes the file.
    CLockScope lock(m_lock);

    // A log folder that is a junction or a symbolic link leads somewhere the
    // tool did not choose: nothing is written through it.
    if (IsLink(m_strLogDir))
        return;
    const std::wstring path = m_strLogDir + Utf8ToWide(packet->GetFileName());
    // Created when missing, never truncated, shared for reading and writing.
    // Append-only access makes every write land at the current end of the
    // file, even when another writer (another process, or the other front
    // end) appended in the meantime. A link is opened as itself, not followed.
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return;
    // A link, or a file with another name elsewhere (a hard link planted to make
    // the tool write into, or rotate away, a file of someone else's): no write,
    // no rotation.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.Get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        info.nNumberOfLinks > 1)
        return;
    LARGE_INTEGER zero{};
    ::SetFilePointerEx(file.Get(), zero, nullptr, FILE_END);

    SYSTEMTIME st;
    ::GetLocalTime(&st);
    const LogTime t{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
    // Stamp, message and line end go out in one write, so no other writer can
    // come between them.
    const std::string line = FormatLogStamp(t) + Utf8ToCodePage936(packet->GetContent()) + "\r\n";
    {
        CAppendTurn turn(file.Get());
        WriteAll(file.Get(), line);
    }

    LARGE_INTEGER size{};
    const bool rotate = ::GetFileSizeEx(file.Get(), &size) && LogNeedsRotation(static_cast<uint64_t>(size.QuadPart));
    file.Reset();
    if (rotate) {
        const std::wstring backup = path + L"bak";
        ::MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

#include "log/LogSaveCloseFile.h"

#include <algorithm>
#include <climits>

#include "base/Locks.h"
#include "base/Text.h"
#include "log/LogFolder.h"
#include "log/LogRules.h"

namespace {

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

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The file of that name in the folder, created when missing, never truncated.
// Append-only access makes every write land at the current end of the file,
// even when another writer (another process, or the other front end)
// appended in the meantime. Missing is told apart from there before creating:
// where the system follows a link on open, create-if-missing through a link
// that leads nowhere would make a file where it leads.
CFileHandle OpenLogFile(HANDLE folder, const std::wstring& name)
{
    const DWORD access = FILE_GENERIC_READ | FILE_APPEND_DATA;
    for (int tries = 0; tries < 3; ++tries) {
        CFileHandle file = OpenInFolder(folder, name, access, kShareAll, FILE_OPEN, FILE_NON_DIRECTORY_FILE);
        if (file || ::GetLastError() != ERROR_FILE_NOT_FOUND)
            return file;
        file = OpenInFolder(folder, name, access, kShareAll, FILE_CREATE, FILE_NON_DIRECTORY_FILE);
        if (file || ::GetLastError() != ERROR_ALREADY_EXISTS)
            return file;
        // Made by another writer just now: open that.
    }
    return CFileHandle();
}

// Moves the held file (identity held) to its backup in the folder, over an
// older backup. The move is made on the file itself, found again by name only
// to get a handle that may rename it, and only if it is still the same file.
void MoveToBackup(HANDLE folder, const std::wstring& name, const SFileIdentity& held)
{
    CFileHandle mover =
        OpenInFolder(folder, name, DELETE | FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, FILE_NON_DIRECTORY_FILE);
    SFileIdentity id;
    if (!mover || !ReadIdentity(mover.Get(), id) || !id.SameFileAs(held) || !id.IsPlainFile())
        return;
    RenameInFolder(mover.Get(), folder, LogBackupName(name), true);
}

}  // namespace

CLogSaveCloseFile::CLogSaveCloseFile(const std::wstring& logDir) : CLogBase(logDir) {}

void CLogSaveCloseFile::SaveText(std::string text, std::string fileName)
{
    CPacketLog packet;
    packet.SetContent(text);
    packet.SetFileName(fileName);
    SavePacket(&packet);
}

bool CLogSaveCloseFile::HoldFolder()
{
    if (!m_bFolderTried) {
        m_bFolderTried = true;
        m_folder = OpenSafeLogFolder(m_strLogDir);
        if (m_folder && !ReadIdentity(m_folder.Get(), m_folderIdentity))
            m_folder.Reset();
    }
    return static_cast<bool>(m_folder);
}

void CLogSaveCloseFile::LetGoOfFolder(const SFileIdentity& folder)
{
    CCriticalSectionGuard lock(m_lock);
    if (m_folder && m_folderIdentity.SameFileAs(folder))
        m_folder.Reset();
}

void CLogSaveCloseFile::SavePacket(const CPacketLog* packet)
{
    if (!packet)
        return;
    // Everything below, rotation included, happens under the lock; every way
    // out releases it and closes the file.
    CCriticalSectionGuard lock(m_lock);

    const std::wstring name = Utf8ToWide(packet->GetFileName());
    if (!LogFileNameIsPlain(name) || !HoldFolder())
        return;
    CFileHandle file = OpenLogFile(m_folder.Get(), name);
    // A link, or a file with another name elsewhere (a hard link planted to
    // make the tool write into, or rotate away, a file of someone else's): no
    // write, no rotation.
    SFileIdentity id;
    if (!file || !ReadIdentity(file.Get(), id) || !id.IsPlainFile() ||
        !IsOpenedAsNamed(m_folder.Get(), file.Get(), name))
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
    if (::GetFileSizeEx(file.Get(), &size) && LogNeedsRotation(static_cast<uint64_t>(size.QuadPart)))
        MoveToBackup(m_folder.Get(), name, id);
}

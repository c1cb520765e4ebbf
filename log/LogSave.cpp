#include "log/LogSave.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>

#include "base/Handles.h"
#include "base/Locks.h"
#include "log/LogFolder.h"
#include "log/LogRules.h"
#include "log/LogSaveCloseFile.h"

std::wstring g_strLogRoot;

namespace {

// Guards g_strLogRoot: GetInstance(root) may store while an instance reads it.
SRWLOCK g_rootLock = SRWLOCK_INIT;

std::wstring CurrentRoot()
{
    CSrwGuard guard(g_rootLock, CSrwGuard::kShared);
    return g_strLogRoot;
}

SRWLOCK g_madeLock = SRWLOCK_INIT;
std::vector<SMadeLogFolder> g_made;   // log folders this run created

// The writers of the live front ends, for letting go of a folder.
SRWLOCK g_writersLock = SRWLOCK_INIT;
std::vector<CLogSaveCloseFile*> g_writers;

// Creates one level; without its security the folder is not made at all, and
// the entries for it are dropped later.
void MakeLogFolder(const std::wstring& path)
{
    bool made = false;
    for (const wchar_t* security : {kLogFolderSecurityOwned, kLogFolderSecurity}) {
        CLocalMemory sd;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                security, SDDL_REVISION_1, reinterpret_cast<PSECURITY_DESCRIPTOR*>(sd.Out()), nullptr))
            return;
        SECURITY_ATTRIBUTES sa{sizeof(sa), sd.Get(), FALSE};
        made = ::CreateDirectoryW(path.c_str(), &sa) != FALSE;
        if (made || ::GetLastError() != ERROR_INVALID_OWNER)
            break;
    }
    if (!made)
        return;
    // Known as this run's by what it is. Where others may write in the
    // parent, the folder now at that path may already be another: one that is
    // not safe to write in is not this run's.
    SMadeLogFolder folder{path, {}};
    CFileHandle held = OpenSafeLogFolder(path);
    if (!held || !ReadIdentity(held.Get(), folder.identity))
        return;
    CSrwGuard guard(g_madeLock);
    g_made.push_back(folder);
}

std::wstring GetIniString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                          const wchar_t* fallback)
{
    wchar_t buf[kLogIniBufferChars] = {};
    ::GetPrivateProfileStringW(section, key, fallback, buf, static_cast<DWORD>(kLogIniBufferChars), file.c_str());
    buf[kLogIniBufferChars - 1] = L'\0';
    return buf;
}

}  // namespace

CLogSave* CLogSave::GetInstance()
{
    // Built once, on first use, under the run-time's one-time guard.
    static CLogSave instance;
    return &instance;
}

CLogSave* CLogSave::GetInstance(const std::wstring& root)
{
    {
        CSrwGuard guard(g_rootLock);
        g_strLogRoot = root;
    }
    static CLogSave instance;
    return &instance;
}

CLogSave::CLogSave()
{
    std::wstring root = LogRootWithSeparator(CurrentRoot());
    if (root.empty()) {
        wchar_t buf[MAX_PATH + 1] = {};
        if (::SHGetSpecialFolderPathW(nullptr, buf, CSIDL_COMMON_APPDATA, FALSE))
            root = std::wstring(buf) + L"\\";
        // Otherwise the root stays empty and the paths below are relative.
    }

    m_strLogDir = root + L"ToolLog";
    if (::GetFileAttributesW(m_strLogDir.c_str()) == INVALID_FILE_ATTRIBUTES)
        MakeLogFolder(m_strLogDir);
    m_strLogDir += L"\\";

    const std::wstring cfg = root + L"logCfg.ini";
    m_bPrint = LogPrintSwitchOn(GetIniString(cfg, L"Log", L"print", L"-1"));

    auto writer = std::make_unique<CLogSaveCloseFile>(m_strLogDir);
    {
        CSrwGuard guard(g_writersLock);
        g_writers.push_back(writer.get());
    }
    m_pLogSave = std::move(writer);
}

CLogSave::~CLogSave()
{
    {
        CSrwGuard guard(g_writersLock);
        g_writers.erase(std::remove(g_writers.begin(), g_writers.end(), m_pLogSave.get()), g_writers.end());
    }
    m_pLogSave.reset();
}

void CLogSave::Log(std::string message, std::string fileName, bool force)
{
    if (!m_pLogSave)
        return;
    if (force || m_bPrint)
        m_pLogSave->SaveText(std::move(message), std::move(fileName));
}

std::vector<SMadeLogFolder> LogFoldersMadeByThisRun()
{
    CSrwGuard guard(g_madeLock, CSrwGuard::kShared);
    return g_made;
}

void LetGoOfLogFolder(const SFileIdentity& folder)
{
    CSrwGuard guard(g_writersLock, CSrwGuard::kShared);
    for (CLogSaveCloseFile* writer : g_writers)
        writer->LetGoOfFolder(folder);
}

void LogToolLine(const std::string& line)
{
    CLogSave::GetInstance()->Log(line, kToolLogFile, true);
}

#include "log/LogSave.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include "framework/Handles.h"
#include "log/LogRules.h"
#include "log/LogSaveCloseFile.h"

std::wstring g_strLogRoot;
const char* const kToolLogFile = "Velmora.txt";

namespace {

// Guards g_strLogRoot: GetInstance(root) may store while an instance reads it.
SRWLOCK g_rootLock = SRWLOCK_INIT;

std::wstring CurrentRoot()
{
    ::AcquireSRWLockShared(&g_rootLock);
    std::wstring root = g_strLogRoot;
    ::ReleaseSRWLockShared(&g_rootLock);
    return root;
}

SRWLOCK g_madeLock = SRWLOCK_INIT;
std::vector<SMadeLogFolder> g_made;   // log folders this run created

// Administrators and SYSTEM: full control; users: read and list. Protected
// from what the parent folder would pass on (the program folder may lie
// where any user can write).
const wchar_t kLogFolderSecurity[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// Creates one level; without its security the folder is not made at all, and
// the entries for it are dropped later.
void MakeLogFolder(const std::wstring& path)
{
    CLocalMemory sd;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kLogFolderSecurity, SDDL_REVISION_1,
                                                                reinterpret_cast<PSECURITY_DESCRIPTOR*>(sd.Out()),
                                                                nullptr))
        return;
    SECURITY_ATTRIBUTES sa{sizeof(sa), sd.Get(), FALSE};
    if (!::CreateDirectoryW(path.c_str(), &sa))
        return;
    SMadeLogFolder made{path, {}};
    CFileHandle folder = OpenFolderAsIs(path);
    if (!folder || !ReadIdentity(folder.Get(), made.identity))
        return;
    ::AcquireSRWLockExclusive(&g_madeLock);
    g_made.push_back(made);
    ::ReleaseSRWLockExclusive(&g_madeLock);
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
    ::AcquireSRWLockExclusive(&g_rootLock);
    g_strLogRoot = root;
    ::ReleaseSRWLockExclusive(&g_rootLock);
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

    m_pLogSave = std::make_unique<CLogSaveCloseFile>(m_strLogDir);
}

CLogSave::~CLogSave()
{
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
    ::AcquireSRWLockShared(&g_madeLock);
    std::vector<SMadeLogFolder> made = g_made;
    ::ReleaseSRWLockShared(&g_madeLock);
    return made;
}

void LogToolLine(const std::string& line)
{
    CLogSave::GetInstance()->Log(line, kToolLogFile, true);
}

// Process-wide log front end: every failure line of the tool goes through Log().
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "base/InFolder.h"

class CLogBase;

class CLogSave {
public:
    // The default instance (log folder under the common application data folder).
    static CLogSave* GetInstance();
    // The rooted instance; root is a folder ending in a backslash.
    static CLogSave* GetInstance(const std::wstring& root);

    virtual ~CLogSave();

    // message and fileName are UTF-8. With force the line is written whatever
    // the configuration says. Never fails towards the caller.
    void Log(std::string message, std::string fileName, bool force);

private:
    // Builds on g_strLogRoot as it stands (the common application data folder
    // when it is empty).
    CLogSave();
    CLogSave(const CLogSave&) = delete;
    CLogSave& operator=(const CLogSave&) = delete;

    bool m_bPrint = false;                   // "print" of logCfg.ini is 1
    std::wstring m_strLogDir;                // <root>ToolLog\ .
    std::unique_ptr<CLogBase> m_pLogSave;    // the writer, on m_strLogDir
};

// Writes line (UTF-8) to the tool's own log (kToolLogFile) whatever the
// configuration says.
void LogToolLine(const std::string& line);

// The root override, stored by every GetInstance(root) call; it decides the
// folder of each instance built while it is set. Empty at start-up.
extern std::wstring g_strLogRoot;

// A log folder this run created: its full path without a trailing backslash,
// and what it is, read from the folder right after it was made (a folder
// found later at that path is this one only if it is the same folder).
struct SMadeLogFolder {
    std::wstring path;
    SFileIdentity identity;
};

// The log folders this run created. Only Administrators and SYSTEM may write
// in them; users may read.
std::vector<SMadeLogFolder> LogFoldersMadeByThisRun();

// The writers hold their log folder while the program runs, so nobody can swap
// it; the removal at the end lets go of a folder it is about to remove. The
// writers on that folder write nothing more.
void LetGoOfLogFolder(const SFileIdentity& folder);

// Process-wide log front end: every failure line of the tool goes through Log().
#pragma once
#include <string>

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
    explicit CLogSave(const std::wstring& root);
    std::wstring m_strLogDir;
};

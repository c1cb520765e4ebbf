// The log writer the tool uses: every entry opens its file, appends one
// time-stamped line in code page 936 and closes the file again. A file that
// has grown past the limit is moved to "<name>bak" (one backup).
#pragma once
#include <windows.h>

#include <string>

#include "log/LogBase.h"

class CLogSaveCloseFile : public CLogBase {
public:
    explicit CLogSaveCloseFile(const std::wstring& logDir);
    ~CLogSaveCloseFile() override;

    void SavePacket(const CPacketLog* packet) override;
    void SaveText(std::string text, std::string fileName) override;

private:
    CRITICAL_SECTION m_lock;
};

// UTF-8 text as code page 936 (GBK) bytes, converted per call. Invalid UTF-8
// and characters code page 936 lacks come out as '?'.
std::string Utf8ToCodePage936(const std::string& utf8);
// UTF-8 text as UTF-16.
std::wstring Utf8ToWide(const std::string& utf8);

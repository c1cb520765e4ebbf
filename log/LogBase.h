// The abstract log writer: appends entries to files in one folder.
#pragma once
#include <string>

#include "log/PacketLog.h"

class CLogBase {
public:
    // logDir ends in a backslash; it never changes.
    explicit CLogBase(const std::wstring& logDir) : m_strLogDir(logDir) {}
    virtual ~CLogBase() = default;

    // Appends one prepared entry. Best effort: nothing is reported back.
    virtual void SavePacket(const CPacketLog* packet) = 0;
    // Builds an entry from text and file name (both UTF-8) and appends it.
    virtual void SaveText(std::string text, std::string fileName) = 0;

    CLogBase(const CLogBase&) = delete;
    CLogBase& operator=(const CLogBase&) = delete;

protected:
    std::wstring m_strLogDir;
};

// One log entry: the target file (relative to the writer's folder) and the
// message. Both are UTF-8.
#pragma once
#include <string>

#include "log/ObjectBase.h"

class CPacketLog : public CObjectBase {
public:
    CPacketLog() = default;

    void SetFileName(const std::string& fileName) { m_strFileName = fileName; }
    std::string GetFileName() const { return m_strFileName; }
    void SetContent(const std::string& content) { m_strContent = content; }
    std::string GetContent() const { return m_strContent; }

private:
    std::string m_strFileName;
    std::string m_strContent;
};

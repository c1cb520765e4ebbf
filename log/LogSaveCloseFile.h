// The log writer the tool uses: every entry opens its file, appends one
// time-stamped line in code page 936 and closes the file again. A file that
// has grown past the limit is moved to "<name>bak" (one backup).
//
// The log folder is opened once, at the first entry, and held for as long as
// the writer lives: nobody can rename it away or put another folder in its
// place, and every file is named relative to it. A folder that others may
// write in gets no entries at all.
#pragma once
#include <windows.h>

#include <string>

#include "base/Handles.h"
#include "base/InFolder.h"
#include "base/Locks.h"
#include "log/LogBase.h"

class CLogSaveCloseFile : public CLogBase {
public:
    explicit CLogSaveCloseFile(const std::wstring& logDir);

    void SavePacket(const CPacketLog* packet) override;
    void SaveText(std::string text, std::string fileName) override;

    // When folder is the one held, lets go of it (so that it can be removed)
    // and writes nothing more.
    void LetGoOfFolder(const SFileIdentity& folder);

private:
    // The held folder, opened and judged at the first call; false when
    // entries cannot go in. Called under m_lock.
    [[nodiscard]] bool HoldFolder();

    CCriticalSection m_lock;
    bool m_bFolderTried = false;
    CFileHandle m_folder;
    SFileIdentity m_folderIdentity;
};


// Signed releases. A release whose program carries a signature loads and runs
// files of its folder only when their signatures hold, and the file checked is
// the file used: it is held open from the check until its use has ended, so
// nobody can change, rename or replace it in between, and it is used by the
// path the system resolved for the held file, so no link on the way can be
// turned elsewhere. A development build (no signature) checks nothing.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/Handles.h"
#include "base/TrustRules.h"

// True when this program's own file carries a signature: a signed release.
// Read from the program's image in memory; costs no file access.
bool IsSignedRelease();

// Whether the open file starts with the headers this program was loaded
// from (same build stamp, checksum, size, entry point and place of the
// signature): a build of this program, not another put at its name (a copy
// of it passes; see RunningImage.h for the very file). Reads the file's
// first 4 KB from the start.
bool IsOwnImage(HANDLE file);

// A file held open for reading: others may read it, nobody may write to it,
// rename or delete it while this lives.
class CHeldFile {
public:
    // False (and nothing held) when path cannot be opened.
    bool Hold(const std::wstring& path);
    // Lets go of the file once its use has ended.
    void Close();
    HANDLE Get() const { return m_file.Get(); }
    // The held file's path as the system resolved it (C:\... or
    // \\server\share\...; no link on the way): the path to load or run.
    const std::wstring& Path() const { return m_strPath; }
    // Its folder, without a trailing backslash.
    std::wstring Folder() const;

private:
    CFileHandle m_file;
    std::wstring m_strPath;
};

// The verdict for a file that must be signed by one of the certificates named
// (their SHA-256, see ParseSignerList; none named: this program's own), with
// a chain the system trusts and does not know to be revoked (see
// ListedSignerVerdict).
ETrust CheckListedSigner(const CHeldFile& file, const std::vector<std::string>& allowed);
// The verdict for a file that must carry this program's own signature, with
// a chain the system does not know to be revoked.
ETrust CheckSameSigner(const CHeldFile& file);

// The log line (UTF-8) that names the refused file at path.
std::string RefusedFileLine(ETrust why, const std::wstring& path);

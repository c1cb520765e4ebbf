// Files reached through an open folder: a folder is opened once, by handle,
// and everything in it is named relative to that handle, exactly as listed.
//
// The program runs with administrator rights in folders other people may
// write to. A path is looked up anew each time it is used, and between two
// uses a folder on it can become a link to somewhere else; an open folder
// cannot be swapped (it is held without delete sharing), and a name opened
// relative to it is not rewritten (no trailing dots or blanks dropped, no
// wildcards) and is never followed if it is a link.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/Handles.h"

// What a handle is: which file (volume and index name it for as long as it
// exists), of what kind, under how many names.
struct SFileIdentity {
    DWORD volume = 0;
    ULONGLONG index = 0;
    DWORD attributes = 0;
    DWORD links = 0;

    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    // A file with this one name: no folder, no link, no second name elsewhere.
    bool IsPlainFile() const { return !IsFolder() && !IsLink() && links == 1; }
    bool SameFileAs(const SFileIdentity& o) const { return volume == o.volume && index == o.index; }
};

// One entry of a folder as listed.
struct SFolderEntry {
    std::wstring name;
    ULONGLONG index = 0;
    DWORD attributes = 0;
};

// Opens a folder by path without delete sharing, so that for as long as the
// handle lives nobody can rename it away or delete it. extraAccess is added
// to listing and reading attributes. Empty when path is no folder or is
// itself a link (junction, symbolic link, or anything that leads elsewhere).
CFileHandle OpenFolderAsIs(const std::wstring& path, DWORD extraAccess = 0);

// Opens name, one plain name, in the open folder. A link at that name is
// opened as itself, never followed; whether one was is checked on the handle
// (see IsOpenedAsNamed). disposition: FILE_OPEN, FILE_OPEN_IF or FILE_CREATE;
// options: FILE_NON_DIRECTORY_FILE or FILE_DIRECTORY_FILE. Empty on failure,
// with the Win32 error as the last error.
CFileHandle OpenInFolder(HANDLE folder, const std::wstring& name, DWORD access, DWORD share, DWORD disposition,
                         DWORD options);

bool ReadIdentity(HANDLE h, SFileIdentity& out);

// The folder's entries (not "." and ".."); false when it cannot be listed.
bool ListFolder(HANDLE folder, std::vector<SFolderEntry>& out);

// The final path of what the handle names, links resolved, as \\?\C:\...
// (empty when the system cannot tell).
std::wstring FinalPath(HANDLE h);

// True when what h names is folder's entry name itself: not reached through a
// link at that name (a system that follows one silently gives another final path).
bool IsOpenedAsNamed(HANDLE folder, HANDLE h, const std::wstring& name);

// Deletes what h names (opened with DELETE access): the name goes when the
// last handle to it closes. A folder must be empty.
bool DeleteOpened(HANDLE h);

// Renames what h names (opened with DELETE access) to newName in the open
// folder, replacing what has that name when replace is set.
bool RenameInFolder(HANDLE h, HANDLE folder, const std::wstring& newName, bool replace);

// Which file this process runs. The path the program was started from can
// name another file a moment later (a folder renamed away and another put in
// its place, a link at its name), and two files can be alike to the byte (a
// technician's kept copy), so the program's file is known by its identity
// (volume and file ID), taken from a handle opened on the running image
// before anything else the start does, and held open, with nobody allowed to
// write to it, until the process ends.
#pragma once
#include <windows.h>

#include <string>

#include "base/InFolder.h"

// Opens and holds the running image's file. Called first thing at start-up;
// a later call (or a first use of the functions below) does nothing more.
// Nothing is held when the file at the program's path is not the one the
// process was loaded from (its headers differ): then no file is the running
// image's.
void HoldRunningImage();

// The held file (null when none), its path as it was opened, and its identity.
HANDLE RunningImageFile();
const std::wstring& RunningImagePath();
bool RunningImageIdentity(SFileIdentity& out);

// Whether the open file is the running image's very file (not a copy).
bool IsRunningImageFile(HANDLE file);

// Whether process pid runs from the same file as this process.
bool RunsSameProgramFile(DWORD pid);

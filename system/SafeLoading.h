// Where the program's libraries may come from. It runs with administrator
// rights, often from a folder any program can write to (Downloads, the
// Desktop): a library put beside it must never be loaded into it.
#pragma once
#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// From now on, libraries loaded by name (by the program, by Windows on its
// behalf, by libraries it loads) come from the system folder only. Looked up
// at run time: without it (a Windows 7 lacking the update) the program still
// starts and refuses that Windows as designed.
void RestrictDllSearchToSystemFolder();

// A system library by name, from the system folder only.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A library someone put beside the program under a system library's name
// (riched20.dll). It only records, in its own folder, that it was loaded:
// the tests show that the program never loads it.
#include <windows.h>

#include "framework/Handles.h"

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(self, path, MAX_PATH);
    while (n > 0 && path[n - 1] != L'\\')
        --n;
    if (n == 0 || n + 20 >= MAX_PATH)
        return TRUE;
    lstrcpyW(path + n, L"planted-loaded.txt");
    CFileHandle record(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return TRUE;
}

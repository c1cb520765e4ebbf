// A library someone put beside the program under a system library's name
// (riched20.dll, winhttp.dll, ...). It only records, in its own folder, that
// it was loaded, under which name and into which program: the tests show that
// the program never loads it. It exports what the development feedback
// library takes from winhttp.dll, so that a loader that picked it for that
// library would go on to run it rather than fail before it could record.
#include <windows.h>

#include "base/Handles.h"

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(self, path, MAX_PATH);
    const DWORD end = n;
    while (n > 0 && path[n - 1] != L'\\')
        --n;
    if (n == 0 || n + 20 >= MAX_PATH)
        return TRUE;
    // "<library name> in <program path>"
    wchar_t line[2 * MAX_PATH + 8] = {};
    lstrcpynW(line, path + n, static_cast<int>(end - n + 1));
    lstrcatW(line, L" in ");
    ::GetModuleFileNameW(nullptr, line + lstrlenW(line), MAX_PATH);
    lstrcatW(line, L"\r\n");
    char name[4 * MAX_PATH] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, line, -1, name, sizeof(name), nullptr, nullptr);
    lstrcpyW(path + n, L"planted-loaded.txt");
    CFileHandle record(::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                     0, nullptr));
    DWORD written = 0;
    ::WriteFile(record.Get(), name, lstrlenA(name), &written, nullptr);
    return TRUE;
}

extern "C" BOOL WINAPI PlantedCheckPlatform()
{
    return FALSE;
}

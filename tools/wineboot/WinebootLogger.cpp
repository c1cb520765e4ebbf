// Restart logger for the test prefix. Wine answers a forced restart request
// by running "wineboot.exe --kill", which ends every process of the prefix.
// Installed over C:\windows\system32\wineboot.exe (the real one saved beside it
// as wineboot-builtin.exe, and wineboot.exe=native in the DLL overrides), it:
//   - when the variable VELMORA_RESTART_LOG is set in its environment (only the
//     program under test gets it): appends its command line as one UTF-8 line
//     to the file that variable names, and exits 0 without ending anything;
//   - otherwise runs wineboot-builtin.exe from its own folder with the same
//     arguments, waits for it and exits with its exit code, so the prefix keeps
//     working for everybody else.
#include <windows.h>

#include <string>

#include "base/Handles.h"

int main()
{
    std::wstring args;
    const wchar_t* line = ::GetCommandLineW();
    // Skip our own name (quoted or not).
    if (*line == L'"') {
        const wchar_t* close = wcschr(line + 1, L'"');
        line = close ? close + 1 : line + wcslen(line);
    } else {
        while (*line && *line != L' ' && *line != L'\t')
            ++line;
    }
    args = line;

    wchar_t logPath[MAX_PATH + 1] = {};
    DWORD n = ::GetEnvironmentVariableW(L"VELMORA_RESTART_LOG", logPath, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        const wchar_t* full = ::GetCommandLineW();
        int len = ::WideCharToMultiByte(CP_UTF8, 0, full, -1, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<size_t>(len > 0 ? len : 1), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, full, -1, &text[0], len, nullptr, nullptr);
        text.back() = '\n';
        text.insert(text.size() - 1, "\r");
        CFileHandle f(::CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, 0, nullptr));
        if (f) {
            DWORD w = 0;
            ::WriteFile(f.Get(), text.data(), static_cast<DWORD>(text.size()), &w, nullptr);
        }
        return 0;
    }

    wchar_t self[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring real(self);
    real = real.substr(0, real.find_last_of(L'\\') + 1) + L"wineboot-builtin.exe";
    std::wstring cmd = L"\"" + real + L"\"" + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(real.c_str(), &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return 1;
    CHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

// The message watch: a hook library the e2e driver sets on the program's
// user-interface thread (WH_CALLWNDPROCRET), so the driver learns that a
// window procedure has returned from a message, which nothing on the screen
// shows when the program's answer is to do nothing. It records the returns of
// the worker messages (WM_USER + 501 to 503) as "<message>|<wParam>|<result>"
// lines in the file named by VELMORA_WATCH_JOURNAL in the program's
// environment. Without that variable it records nothing. With
// VELMORA_HIGH_CONTRAST_EVENT there it also installs the high-contrast switch
// (HighContrastSwitch.h) in the program.
#include <windows.h>

#include <cstdio>

#include "base/Handles.h"
#include "HighContrastSwitch.h"

namespace {
const UINT kFirstWatched = WM_USER + 501, kLastWatched = WM_USER + 503;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK WatchReturns(int code, WPARAM w, LPARAM l)
{
    const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(l);
    if (code == HC_ACTION && m && m->message >= kFirstWatched && m->message <= kLastWatched) {
        wchar_t path[MAX_PATH] = {};
        DWORD n = ::GetEnvironmentVariableW(L"VELMORA_WATCH_JOURNAL", path, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            char line[96];
            int len = std::snprintf(line, sizeof line, "%u|%llu|%lld\r\n", m->message,
                                    static_cast<unsigned long long>(m->wParam), static_cast<long long>(m->lResult));
            CFileHandle f(::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_ALWAYS, 0, nullptr));
            DWORD written = 0;
            if (f)
                ::WriteFile(f.Get(), line, static_cast<DWORD>(len), &written, nullptr);
        }
    }
    return ::CallNextHookEx(nullptr, code, w, l);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH && ::GetEnvironmentVariableW(L"VELMORA_HIGH_CONTRAST_EVENT", nullptr, 0) > 0)
        (void)hcswitch::Install(::GetModuleHandleW(nullptr));
    return TRUE;
}

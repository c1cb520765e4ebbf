#include <windows.h>

#include "app/VelmoraApp.h"
#include "framework/Trust.h"
#include "system/SafeLoading.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // First of all: no library is ever looked for beside the program (see
    // SafeLoading.h); the delay-loaded ones are loaded after this, at their
    // first call. Then, in a signed release, the program's own file is held
    // before anyone could swap it for another (see Trust.h).
    RestrictDllSearchToSystemFolder();
    HoldOwnFile();
    CVelmoraApp app;
    // Always FALSE: there is no message loop of the application's own to enter.
    (void)app.InitInstance();
    return app.m_nExitCode;
}

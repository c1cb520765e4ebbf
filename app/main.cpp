#include <windows.h>

#include "app/VelmoraApp.h"
#include "framework/RunningImage.h"
#include "system/SafeLoading.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // First of all, the program's own file is held and known by its identity
    // before anyone could put another at its path (see RunningImage.h). Then
    // no library is ever looked for beside the program (see SafeLoading.h);
    // the delay-loaded ones are loaded after this, at their first call.
    HoldRunningImage();
    RestrictDllSearchToSystemFolder();
    CVelmoraApp app;
    // Always FALSE: there is no message loop of the application's own to enter.
    (void)app.InitInstance();
    return app.m_nExitCode;
}

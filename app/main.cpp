#include <windows.h>

#include "app/VelmoraApp.h"
#include "base/RunningImage.h"
#include "system/SafeLoading.h"
#include "system/SelfRemoval.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // First of all, the program's own file is held and known by its identity
    // before anyone could put another at its path (see RunningImage.h). Then
    // no library is ever looked for beside the program (see SafeLoading.h);
    // the delay-loaded ones are loaded after this, at their first call.
    HoldRunningImage();
    RestrictDllSearchToSystemFolder();
    // Before any COM call, and before anything could set other security (see
    // SelfRemoval.h); a shell call later sets it itself if this failed.
    SecureComAtStart();
    CVelmoraApp app;
    // Always FALSE: there is no message loop of the application's own to enter.
    app.InitInstance();
    return app.m_nExitCode;
}

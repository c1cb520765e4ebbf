#include <windows.h>

#include "app/VelmoraApp.h"
#include "system/SafeLoading.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // First of all: no library is ever looked for beside the program (see SafeLoading.h).
    RestrictDllSearchToSystemFolder();
    CVelmoraApp app;
    app.InitInstance();
    return app.m_nExitCode;
}

#pragma once
#include <windows.h>

// The application object: starts GDI+ and the common controls, runs the main
// dialog modally and ends the process when it returns.
class CVelmoraApp {
public:
    CVelmoraApp();
    BOOL InitInstance();

    DWORD m_dwRestartManagerSupportFlags;
};

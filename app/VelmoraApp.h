#pragma once
#include <windows.h>

class CVelmoraDlg;

// The application object: reads the switches and chooses the face. Without
// switches it starts GDI+ and the common controls, runs the main dialog
// modally and, when it returns, ends the run as the dialog's recorded ending
// says; with them (or where no desktop can be seen) the flow runs without any
// window.
class CVelmoraApp {
public:
    CVelmoraApp();
    BOOL InitInstance();

    DWORD m_dwRestartManagerSupportFlags;
    // What the process ends with: 0 for the window; the unattended face's code.
    int m_nExitCode = 0;

private:
    void RunWindow();
    void EndWindowRun(CVelmoraDlg& dlg);
};

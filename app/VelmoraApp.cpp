#include "app/VelmoraApp.h"

#include <commctrl.h>

#include "app/VelmoraDlg.h"
#include "framework/Gdi.h"
#include "log/LogSave.h"
#include "system/SafeLoading.h"
#include "system/SelfRemoval.h"

namespace {
const DWORD kRestartSupportRestart = 1;   // restart after a crash or an update restart
}

CVelmoraApp::CVelmoraApp() : m_dwRestartManagerSupportFlags(kRestartSupportRestart) {}

BOOL CVelmoraApp::InitInstance()
{
    // Before the feedback library can write anything beside the program.
    NoteProgramFolderAtStart();

    CGdiplusSession gdiplus;
    gdiplus.Startup();

    INITCOMMONCONTROLSEX icc{8, 0xFF};
    ::InitCommonControlsEx(&icc);

    if (m_dwRestartManagerSupportFlags & kRestartSupportRestart)
        ::RegisterApplicationRestart(nullptr, 0);

    // The default log is placed now, under the common application data folder.
    // Built later, after the rooted log of the program folder, it would follow
    // that root into the folder the tool removes when it ends, and the lines
    // that explain a refusal would go with it.
    CLogSave::GetInstance();

    // Template 102 holds a "RichEdit20W" control.
    LoadSystemLibrary(L"riched20.dll");

    {
        CVelmoraDlg dlg;
        dlg.DoModal();
    }
    gdiplus.Shutdown();
    return FALSE;
}

#include "app/VelmoraApp.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/OneRun.h"
#include "app/UnattendedFace.h"
#include "app/VelmoraDlg.h"
#include "framework/Gdi.h"
#include "log/LogSave.h"
#include "system/SafeLoading.h"
#include "system/SelfRemoval.h"

namespace {
const DWORD kRestartSupportRestart = 1;   // restart after a crash or an update restart

// The arguments after the program's name.
std::vector<std::wstring> CommandLineArguments()
{
    std::vector<std::wstring> args;
    int count = 0;
    if (CLocalMemory argv{::CommandLineToArgvW(::GetCommandLineW(), &count)}) {
        wchar_t** list = static_cast<wchar_t**>(argv.Get());
        for (int i = 1; i < count; ++i)
            args.emplace_back(list[i]);
    }
    return args;
}
}  // namespace

CVelmoraApp::CVelmoraApp() : m_dwRestartManagerSupportFlags(kRestartSupportRestart) {}

BOOL CVelmoraApp::InitInstance()
{
    // The default log is placed now, under the common application data folder.
    // Built later, after the rooted log of the program folder, it would follow
    // that root into the folder the tool removes when it ends, and the lines
    // that explain a refusal would go with it.
    CLogSave::GetInstance();

    SSwitches switches = ParseSwitches(CommandLineArguments());
    if (switches.mode == ERunMode::Usage) {
        m_nExitCode = ShowUsage();
        return FALSE;
    }
    if (switches.mode == ERunMode::BadCommandLine) {
        m_nExitCode = EndBeforeFlow(switches, false, EOutcome::BadCommandLine);
        return FALSE;
    }
    // A service, or SYSTEM in session 0: a window there would wait for ever.
    const bool noDesktop = switches.mode == ERunMode::Window && !DesktopVisible();
    if (noDesktop)
        switches.mode = ERunMode::Quiet;

    COneRun oneRun;
    if (!oneRun.Take()) {
        if (switches.mode == ERunMode::Window)
            BringRunningWindowToFront();
        else
            m_nExitCode = EndBeforeFlow(switches, noDesktop, EOutcome::AnotherRun);
        return FALSE;
    }
    if (switches.mode == ERunMode::Window)
        RunWindow();
    else
        m_nExitCode = RunUnattended(switches, noDesktop);
    return FALSE;
}

void CVelmoraApp::RunWindow()
{
    // Before the feedback library can write anything beside the program.
    NoteProgramFolderAtStart();

    CGdiplusSession gdiplus;
    gdiplus.Startup();

    INITCOMMONCONTROLSEX icc{8, 0xFF};
    ::InitCommonControlsEx(&icc);

    if (m_dwRestartManagerSupportFlags & kRestartSupportRestart)
        ::RegisterApplicationRestart(nullptr, 0);

    // Template 102 holds a "RichEdit20W" control.
    LoadSystemLibrary(L"riched20.dll");

    {
        CVelmoraDlg dlg;
        dlg.DoModal();
    }
    gdiplus.Shutdown();
}

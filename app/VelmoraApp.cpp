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
#include "res/resource.h"
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
    (void)CLogSave::GetInstance();

    SSwitches switches = ParseSwitches(CommandLineArguments());
    if (switches.mode == ERunMode::Usage) {
        m_nExitCode = ShowUsage();
        return FALSE;
    }
    if (switches.mode == ERunMode::BadCommandLine) {
        m_nExitCode = EndBeforeFlow(switches, EOutcome::BadCommandLine);
        return FALSE;
    }
    // A service, or SYSTEM in session 0: a window there would wait for ever.
    // SYSTEM on a desktop the signed-in user sees: a window that user could
    // drive with the service's rights.
    if (switches.mode == ERunMode::Window)
        switches = ChooseFace(switches, DesktopVisible(), RunningAsServiceAccount());

    COneRun oneRun;
    if (!oneRun.Take()) {
        if (switches.mode == ERunMode::Window)
            BringRunningWindowToFront();
        else
            m_nExitCode = EndBeforeFlow(switches, EOutcome::AnotherRun);
        return FALSE;
    }
    if (switches.mode == ERunMode::Window)
        RunWindow();
    else
        m_nExitCode = RunUnattended(switches);
    return FALSE;
}

void CVelmoraApp::RunWindow()
{
    // Before the feedback library can write anything beside the program.
    NoteProgramFolderAtStart();

    // GDI+ for as long as any image of this run may live: the session is made
    // first, so it is the last to go, after the preloaded background whether
    // the dialog took it or not. Without GDI+ the background cannot be
    // loaded, and the window comes up without the flow, as it does whenever
    // the background is missing.
    CGdiplusSession gdiplus;
    gdiplus.Startup();

    // The background, the largest image, is decoded beside the loading of the
    // libraries and the making of the window, which need the other core.
    CPngPreload background(IDB_PNG_MAIN_BK);

    INITCOMMONCONTROLSEX icc{8, 0xFF};
    ::InitCommonControlsEx(&icc);

    if (m_dwRestartManagerSupportFlags & kRestartSupportRestart)
        ::RegisterApplicationRestart(nullptr, 0);

    // Template 102 holds a "RichEdit20W" control; without the library the
    // dialog does not come up, and the run ends as one that never did.
    LoadSystemLibrary(L"riched20.dll");

    {
        CVelmoraDlg dlg(&background);
        // What ended the dialog is in its recorded ending, not in its result.
        dlg.DoModal();
        EndWindowRun(dlg);
    }
}

// Every way the window ends comes here: the steps its ending calls for, and
// nothing else, whichever path led to it.
void CVelmoraApp::EndWindowRun(CVelmoraDlg& dlg)
{
    const SEndingSteps steps = StepsOfEnding(dlg.Ending());
    if (steps.closingFeedback)
        dlg.SendClosingFeedback();
    if (steps.removeFolder)
        dlg.DeleteSelf();   // the removal goes on after the program has ended
    m_nExitCode = 0;          // the window's face ends with 0 on every path
}

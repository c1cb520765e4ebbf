// The real program, started from a prepared folder like a technician would.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/VelmoraRun.h"

TEST(Startup, ShowsTheMainWindowWithItsControlsAndEndsWhenClosed)
{
    vt::CVelmoraRun run(L"e2e-startup");
    run.AddListedDevice();
    ::RemoveDirectoryW(vt::ToolLogDir().c_str());   // empty after ClearToolLog
    ASSERT_TRUE(run.Start());
    HWND main = run.WaitMain();
    // The default log folder is made under the common application data folder
    // from the start.
    EXPECT_TRUE(vt::PathExists(vt::ToolLogDir()));
    ASSERT_TRUE(main) << "no top-level window \"Velmora\"";
    for (int id : {IDC_BTN_START, IDC_BTN_CLOSE, IDC_BTN_MIN, IDC_RE_AGREEMENT, IDC_CHK_AGREE})
        EXPECT_TRUE(::GetDlgItem(main, id)) << id;
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(run.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

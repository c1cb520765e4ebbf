// The real program, started from a prepared folder like a technician would.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/TestSupport.h"

TEST(Startup, ShowsTheMainWindowAndEndsWhenClosed)
{
    std::wstring dir = vt::ScratchDir(L"e2e-startup");
    ASSERT_TRUE(vt::CopyFileTo(vt::BinDir() + L"\\Velmora.exe", dir + L"\\Velmora.exe"));

    vt::CProcess p;
    ASSERT_TRUE(p.Start(dir + L"\\Velmora.exe", L"", dir));
    HWND main = vt::WaitTopLevel(p.Pid(), L"Velmora", 15000);
    ASSERT_TRUE(main) << "no top-level window \"Velmora\"";

    int ids[] = {IDC_BTN_START, IDC_BTN_CLOSE, IDC_BTN_MIN, IDC_RE_AGREEMENT, IDC_CHK_AGREE};
    for (int id : ids)
        EXPECT_TRUE(::GetDlgItem(main, id)) << id;

    ::PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(p.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

// The real program, started from a prepared folder like a technician would.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <cwctype>

#include "base/Handles.h"

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
    // The common controls are delay-loaded; the manifest still brings
    // version 6 (side by side), not the system folder's version 5.
    std::wstring controls;
    CHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, run.Process().Pid()));
    MODULEENTRY32W module = {sizeof(module)};
    for (BOOL more = ::Module32FirstW(snapshot.Get(), &module); more; more = ::Module32NextW(snapshot.Get(), &module))
        if (_wcsicmp(module.szModule, L"comctl32.dll") == 0)
            controls = module.szExePath;
    for (wchar_t& ch : controls)
        ch = towlower(ch);
    EXPECT_NE(controls.find(L"\\winsxs\\"), std::wstring::npos) << vt::Utf8(controls);
    EXPECT_NE(controls.find(L"common-controls_6595b64144ccf1df_6."), std::wstring::npos) << vt::Utf8(controls);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(run.WaitExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

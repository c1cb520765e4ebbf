// The please-wait dialog ends on the close request and on nothing else, also
// when the request comes before the dialog is up or from another thread.
#include <gtest/gtest.h>

#include <thread>

#include "system/RepairWorker.h"
#include "tests/support/TestSupport.h"
#include "ui/ExecutePromptDlg.h"

namespace {

// Sends the window keys and close attempts that must not end it, then the real request.
DWORD WINAPI PokeThenClose(LPVOID p)
{
    auto* dlg = static_cast<CExecutePromptDlg*>(p);
    HWND h = nullptr;
    vt::WaitFor([&] { return (h = ::FindWindowW(L"#32770", nullptr)) != nullptr && ::IsWindowVisible(h); }, 5000);
    for (WPARAM key : {VK_ESCAPE, VK_RETURN})
        ::PostMessageW(h, WM_KEYDOWN, key, 1);
    ::PostMessageW(h, WM_CLOSE, 0, 0);
    ::PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
    ::Sleep(400);
    if (::IsWindowVisible(h))
        dlg->RequestClose();
    return 0;
}

}  // namespace

TEST(PleaseWait, CloseRequestedBeforeItShowsEndsItAtOnce)
{
    CExecutePromptDlg dlg;
    dlg.SetMessage(L"正在确认主机信息，请稍等");
    dlg.RequestClose();
    DWORD start = ::GetTickCount();
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_LT(::GetTickCount() - start, 3000u);
}

TEST(PleaseWait, OnlyTheCloseRequestFromAnotherThreadEndsIt)
{
    CExecutePromptDlg dlg;
    dlg.SetMessage(L"修复方案部署安装中，请稍后");
    HANDLE t = ::CreateThread(nullptr, 0, PokeThenClose, &dlg, 0, nullptr);
    DWORD start = ::GetTickCount();
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_GE(::GetTickCount() - start, 350u) << "something other than the close request ended it";
    ::WaitForSingleObject(t, 5000);
    ::CloseHandle(t);
}

// The please-wait dialog's size, text and text place per display scale, and
// its dots advancing while it shows.
#include <gtest/gtest.h>

#include <vector>

#include "res/resource.h"
#include "tests/support/TestSupport.h"
#include "tests/win/PromptTestSupport.h"
#include "ui/DrawStatic.h"
#include "ui/ExecutePromptDlg.h"

namespace {

std::string Str(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

HWND FindPleaseWait()
{
    for (HWND h : vt::TopLevelWindows(::GetCurrentProcessId())) {
        HWND c = ::GetDlgItem(h, IDC_STATIC_PLEASE_WAIT);
        if (c && ::IsWindowVisible(c))
            return h;
    }
    return nullptr;
}

// Polls the dots on the dialog's own thread (a thread timer, dispatched by its
// modal loop) and ends the dialog once they have come round to none again.
struct DotWatch {
    static DotWatch* s_self;
    CExecutePromptDlg* dlg = nullptr;
    std::vector<int> seen;
    DWORD start = 0;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DotWatch* w = s_self;
        HWND h = FindPleaseWait();
        auto* text = h ? dynamic_cast<CDrawStateInfoStatic*>(CWnd::FromHandle(::GetDlgItem(h, IDC_STATIC_PLEASE_WAIT)))
                       : nullptr;
        if (text && (w->seen.empty() || w->seen.back() != text->GetDotCount()))
            w->seen.push_back(text->GetDotCount());
        const bool round = w->seen.size() >= 5;
        if (round || ::GetTickCount() - w->start > 10000)
            w->dlg->RequestClose();
    }
};
DotWatch* DotWatch::s_self = nullptr;

class PleaseWaitDlg : public ::testing::Test {
protected:
    void SetUp() override
    {
        skintest::EnsureGdiplus();
        ASSERT_TRUE(m_backdrop.Create(150, 100, 1100, 800));
    }
    prompttest::CBackdrop m_backdrop;
};

}  // namespace

TEST_F(PleaseWaitDlg, SizeTextAndPlacePerScale)
{
    struct Case { float scale; std::wstring message, shown; int w, h; RECT text; } cases[] = {
        {1.0f, L"修复方案部署安装中，请稍后", L"修复方案部署安装中，请稍后", 476, 289, {39, 122, 437, 162}},
        {1.0f, L"", L"正在修复，请稍等", 476, 289, {39, 122, 437, 162}},
        {1.0f, L"等", L"正在修复，请稍等", 476, 289, {39, 122, 437, 162}},
        {1.0f, L"稍等", L"稍等", 476, 289, {39, 122, 437, 162}},
        {1.5f, L"Checking this PC, please wait", L"Checking this PC, please wait", 714, 433, {58, 183, 656, 243}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(vt::Utf8(c.message) + " at " + std::to_string(c.scale));
        CExecutePromptDlg dlg(m_backdrop.Get());
        dlg.m_fScale = c.scale;
        dlg.SetMessage(c.message);
        dlg.SetLayoutMode(c.scale > 1.0f ? 5 : 2);
        RECT window{}, text{};
        std::wstring shown, name;
        bool found = false, rescued = false;
        INT_PTR r = prompttest::RunDriven(
            [&] { return dlg.DoModal(); },
            [&] {
                HWND h = nullptr;
                if (!vt::WaitFor([&] { return (h = FindPleaseWait()) != nullptr; }, 5000))
                    return;
                found = true;
                window = vt::ScreenRect(h);
                HWND t = ::GetDlgItem(h, IDC_STATIC_PLEASE_WAIT);
                text = vt::RectInParent(t);
                shown = vt::Text(t);
                name = vt::AccessibleName(h);
                dlg.RequestClose();
            },
            [&] { dlg.RequestClose(); }, &rescued);
        ASSERT_TRUE(found);
        EXPECT_EQ(r, IDOK);
        EXPECT_EQ(window.right - window.left, c.w);
        EXPECT_EQ(window.bottom - window.top, c.h);
        EXPECT_EQ(Str(text), Str(c.text));
        EXPECT_EQ(shown, c.shown);
        // Read by assistive technology as what it shows, without the dots.
        EXPECT_EQ(vt::Utf8(name), vt::Utf8(c.shown));
    }
}

TEST_F(PleaseWaitDlg, DotsComeRoundOnceASecond)
{
    CExecutePromptDlg dlg(m_backdrop.Get());
    dlg.SetMessage(L"正在确认主机信息，请稍等");
    DotWatch watch;
    watch.dlg = &dlg;
    watch.start = ::GetTickCount();
    DotWatch::s_self = &watch;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &DotWatch::Tick);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    ::KillTimer(nullptr, timer);
    const DWORD took = ::GetTickCount() - watch.start;
    const std::vector<int> expected{0, 1, 2, 3, 0};
    EXPECT_EQ(watch.seen, expected);
    // Four steps of a second each: about four seconds, never a blink.
    EXPECT_GT(took, 3000u);
    EXPECT_LT(took, 9000u);
}

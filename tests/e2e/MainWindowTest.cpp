// The main window as the user sees it, at the display scales the tool supports.
#include <gtest/gtest.h>
#include <richedit.h>

#include <utility>
#include <vector>

#include "app/MainLayout.h"
#include "framework/Gdi.h"
#include "res/resource.h"
#include "tests/support/GuiObjects.h"
#include "tests/support/VelmoraRun.h"

using vt::CVelmoraRun;

namespace {

// The screen's DPI for programs started from now on, restored afterwards.
class CScreenDpi {
public:
    explicit CScreenDpi(DWORD dpi) { Set(dpi); }
    ~CScreenDpi() { Set(96); }
private:
    static void Set(DWORD dpi)
    {
        CRegKey k;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE, k.Out()) == ERROR_SUCCESS)
            ::RegSetValueExW(k.Get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
};

HWND StartShown(CVelmoraRun& run)
{
    run.AddListedDevice();
    if (!run.Start())
        return nullptr;
    return run.WaitReady();
}

std::vector<COLORREF> ReadPixels(HWND main, const RECT& rcInClient)
{
    POINT org{0, 0};
    ::ClientToScreen(main, &org);
    CWindowDCRef screen(nullptr);
    std::vector<COLORREF> px;
    for (int y = rcInClient.top; y < rcInClient.bottom; ++y)
        for (int x = rcInClient.left; x < rcInClient.right; ++x)
            px.push_back(::GetPixel(screen.Get(), org.x + x, org.y + y));
    return px;
}

// The pixels once the window has painted them anew: read until two reads agree.
std::vector<COLORREF> Capture(HWND main, const RECT& rcInClient)
{
    ::SetForegroundWindow(main);
    ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::vector<COLORREF> last = ReadPixels(main, rcInClient);
    vt::WaitFor([&] {
        std::vector<COLORREF> now = ReadPixels(main, rcInClient);
        const bool settled = now == last;
        last = std::move(now);
        return settled;
    }, 3000, 100);
    return last;
}

bool IsWhite(COLORREF c) { return GetRValue(c) > 235 && GetGValue(c) > 235 && GetBValue(c) > 235; }

std::wstring LongText(HWND h)
{
    DWORD_PTR len = 0;
    ::SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len);
    std::wstring s(len + 1, L'\0');
    DWORD_PTR got = 0;
    ::SendMessageTimeoutW(h, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&s[0]), SMTO_ABORTIFHUNG, 5000, &got);
    s.resize(got);
    return s;
}

}  // namespace

TEST(MainWindow, SizeAndControlPlacesFollowTheDisplayScale)
{
    struct Case { DWORD dpi; float scale; int width, height; } cases[] = {
        {96, 1.0f, 800, 500}, {100, 1.0f, 800, 500}, {120, 1.25f, 1000, 625}, {144, 1.5f, 1200, 750},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        CScreenDpi dpi(c.dpi);
        CVelmoraRun run(L"main-dpi-" + std::to_wstring(c.dpi));
        HWND main = StartShown(run);
        ASSERT_TRUE(main);
        RECT wr = vt::ScreenRect(main);
        EXPECT_EQ(wr.right - wr.left, c.width);
        EXPECT_EQ(wr.bottom - wr.top, c.height);

        RECT cr{};
        ::GetClientRect(main, &cr);
        RECT check = vt::RectInParent(::GetDlgItem(main, IDC_CHK_AGREE));
        auto l = mainwnd::LayoutControls({cr.left, cr.top, cr.right, cr.bottom}, c.scale, 0);
        struct Ctl { int id; mainwnd::Rect want; } ctls[] = {
            {IDC_BTN_CLOSE, l.close}, {IDC_BTN_MIN, l.minimise}, {IDC_BTN_START, l.start},
            {IDC_RE_AGREEMENT, l.agreement},
        };
        for (const Ctl& k : ctls) {
            RECT r = vt::RectInParent(::GetDlgItem(main, k.id));
            EXPECT_EQ(r.left, k.want.left) << k.id;
            EXPECT_EQ(r.top, k.want.top) << k.id;
            EXPECT_EQ(r.right, k.want.right) << k.id;
            EXPECT_EQ(r.bottom, k.want.bottom) << k.id;
        }
        EXPECT_EQ(check.left, l.check.left);
        EXPECT_EQ(check.top, l.check.top);
        EXPECT_EQ(check.bottom, l.check.bottom);
        EXPECT_GT(check.right - check.left, static_cast<int>(18 * c.scale) + 10) << "caption width missing";

        CRegionObj rgn(::CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(::GetWindowRgn(main, rgn.Get()), ERROR);
        // A rounded corner: the very corner pixel is outside, the centre inside.
        EXPECT_FALSE(::PtInRegion(rgn.Get(), 0, 0));
        EXPECT_TRUE(::PtInRegion(rgn.Get(), c.width / 2, c.height / 2));
        EXPECT_TRUE(::PtInRegion(rgn.Get(), c.width / 2, 0));
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        run.WaitExit(10000);
    }
}

TEST(MainWindow, VersionTextIsWhiteOnTheDarkTitle)
{
    CVelmoraRun run(L"main-version");
    HWND main = StartShown(run);
    ASSERT_TRUE(main);
    std::vector<COLORREF> text = Capture(main, {395, 20, 595, 38});
    int white = 0;
    for (COLORREF c : text)
        white += IsWhite(c) ? 1 : 0;
    EXPECT_GT(white, 30) << "no white text in the version rectangle";
    std::vector<COLORREF> beside = Capture(main, {600, 20, 700, 38});
    for (COLORREF c : beside)
        ASSERT_FALSE(IsWhite(c)) << "the title background should be dark";
}

TEST(MainWindow, TopBandDragsExceptOverTheTitleButtons)
{
    CVelmoraRun run(L"main-drag");
    HWND main = StartShown(run);
    ASSERT_TRUE(main);
    RECT wr = vt::ScreenRect(main);
    auto hit = [&](int x, int y) {
        DWORD_PTR r = 0;
        ::SendMessageTimeoutW(main, WM_NCHITTEST, 0, MAKELPARAM(wr.left + x, wr.top + y), SMTO_ABORTIFHUNG, 5000, &r);
        return static_cast<LRESULT>(r);
    };
    EXPECT_EQ(hit(10, 10), HTCAPTION);
    EXPECT_EQ(hit(713, 45), HTCAPTION);
    EXPECT_NE(hit(10, 46), HTCAPTION);     // below the band
    EXPECT_NE(hit(714, 10), HTCAPTION);    // the title buttons' end
    EXPECT_NE(hit(774, 30), HTCAPTION);    // on the close button
    EXPECT_NE(hit(741, 30), HTCAPTION);    // on the minimise button
}

TEST(MainWindow, ResizeMovesControlsAndKeepsTheirState)
{
    CVelmoraRun run(L"main-resize");
    HWND main = StartShown(run);
    ASSERT_TRUE(main);
    HWND box = ::GetDlgItem(main, IDC_CHK_AGREE), close = ::GetDlgItem(main, IDC_BTN_CLOSE),
         agreement = ::GetDlgItem(main, IDC_RE_AGREEMENT);
    std::wstring counting;
    ASSERT_TRUE(vt::GuiCountingWorks(&counting)) << vt::Utf8(counting);
    // The program's GDI objects once their number holds still: painting and
    // the threads that end after the host check take and give back some.
    auto settledGdi = [&] {
        long last = -2, now = -1;
        vt::WaitFor([&] {
            last = std::exchange(now, vt::CountGuiObjects(run.Process().Handle(), run.Process().Pid()).gdi);
            return now == last;
        }, 5000, 200);
        return now;
    };
    // A round trip of the size, each size painted, first once, then twice
    // more: those two give back what they take.
    long before = -1;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        // A resize asked of another process's window is asynchronous; ask until
        // it lands. The controls move one after the other: wait for each one read.
        RECT closeAt{}, agreementAt{};
        EXPECT_TRUE(vt::WaitFor([&] {
            ::SetWindowPos(main, nullptr, 0, 0, 900, 560, SWP_NOMOVE | SWP_NOZORDER | SWP_ASYNCWINDOWPOS);
            closeAt = vt::RectInParent(close);
            agreementAt = vt::RectInParent(agreement);
            return closeAt.left == 900 - 32 && agreementAt.right == 900 - 50;
        }, 10000, 200)) << "close button left " << closeAt.left << ", agreement right " << agreementAt.right;
        EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
        Capture(main, {0, 0, 1, 1});
        ::SetWindowPos(main, nullptr, 0, 0, 800, 500, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(vt::RectInParent(agreement).right, 800 - 50);
        Capture(main, {0, 0, 1, 1});
        const long now = settledGdi();
        ASSERT_GE(now, 0);
        if (round == 0)
            before = now;
        else if (round == 2)
            EXPECT_EQ(now, before);
    }
}

TEST(MainWindow, MinimiseAndRestoreRepaintFromTheBackground)
{
    CVelmoraRun run(L"main-minimise");
    HWND main = StartShown(run);
    ASSERT_TRUE(main);
    std::vector<COLORREF> before = Capture(main, {300, 10, 340, 14});
    ASSERT_TRUE(vt::Click(::GetDlgItem(main, IDC_BTN_MIN)));
    ASSERT_TRUE(vt::WaitFor([&] { return ::IsIconic(main) != FALSE; }, 5000));
    ::PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(vt::WaitFor([&] { return !::IsIconic(main); }, 5000));
    EXPECT_TRUE(vt::WaitFor([&] { return ReadPixels(main, {300, 10, 340, 14}) == before; }, 5000, 100));
}

TEST(MainWindow, AgreementIsReadOnlyScrollableAndComplete)
{
    CVelmoraRun run(L"main-agreement");
    HWND main = StartShown(run);
    ASSERT_TRUE(main);
    HWND re = ::GetDlgItem(main, IDC_RE_AGREEMENT);
    EXPECT_TRUE(::GetWindowLongW(re, GWL_STYLE) & ES_READONLY);
    std::wstring text = LongText(re);
    size_t paragraphs = 0;
    for (wchar_t ch : text)
        paragraphs += ch == L'\r' ? 1 : 0;
    EXPECT_EQ(paragraphs, 141u);
    EXPECT_GT(text.size(), 8000u);
    EXPECT_EQ(text.find(L"一."), text.find(L"一.", 0));
    DWORD_PTR first = 0;
    ::SendMessageTimeoutW(re, EM_SCROLL, SB_PAGEDOWN, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    ::SendMessageTimeoutW(re, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, 5000, &first);
    EXPECT_GT(first, 0u) << "the box does not scroll";
}

TEST(MainWindow, AboutBoxFromTheSystemMenu)
{
    CVelmoraRun run(L"main-about");
    HWND main = StartShown(run);
    ASSERT_TRUE(main);
    ::PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = vt::WaitTopLevel(run.Process().Pid(), L"关于 Velmora", 5000);
    ASSERT_TRUE(about);
    EXPECT_NE(vt::Text(::GetDlgItem(about, IDC_ABOUT_NAME)).find(L"1.0.22.419"), std::wstring::npos);
    ASSERT_TRUE(vt::Click(::GetDlgItem(about, IDOK)));
    EXPECT_TRUE(vt::WaitFor([&] { return !::IsWindow(about) || !::IsWindowVisible(about); }, 5000));
    EXPECT_TRUE(run.Process().Running());
}

// The main window as the user sees it, at the display scales the tool supports.
#include <gtest/gtest.h>
#include <richedit.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
    const int w = rcInClient.right - rcInClient.left, h = rcInClient.bottom - rcInClient.top;
    std::vector<COLORREF> px;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(bi.bmiHeader), w, -h, 1, 32};
    void* bits = nullptr;
    CWindowDCRef screen(nullptr);
    CMemoryDC mem(::CreateCompatibleDC(screen.Get()));
    CBitmapObj dib(::CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (w <= 0 || h <= 0 || !mem || !dib || !bits)
        return px;
    {
        CSelectObject sel(mem.Get(), dib.Get());
        ::BitBlt(mem.Get(), 0, 0, w, h, screen.Get(), org.x + rcInClient.left, org.y + rcInClient.top, SRCCOPY);
        ::GdiFlush();
    }
    // DIB pixels are 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
    for (const uint32_t* p = static_cast<const uint32_t*>(bits), *end = p + w * h; p != end; ++p)
        px.push_back(RGB((*p >> 16) & 0xFF, (*p >> 8) & 0xFF, *p & 0xFF));
    return px;
}

// Whether the window and its children have painted all they were asked to.
bool Painted(HWND main)
{
    if (::GetUpdateRect(main, nullptr, FALSE))
        return false;
    for (HWND c = ::GetWindow(main, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        if (::IsWindowVisible(c) && ::GetUpdateRect(c, nullptr, FALSE))
            return false;
    return true;
}

// The pixels once the window has painted them anew: read, once nothing is
// left to paint, until two reads agree (a busy machine can hold a child's
// paint back behind its parent's background for longer than one read).
std::vector<COLORREF> Capture(HWND main, const RECT& rcInClient)
{
    ::SetForegroundWindow(main);
    ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::vector<COLORREF> last;
    vt::WaitFor([&] {
        if (!Painted(main))
            return false;
        std::vector<COLORREF> now = ReadPixels(main, rcInClient);
        const bool settled = now == last;
        last = std::move(now);
        return settled;
    }, 3000, 100);
    return last;
}

// FNV-1a over the pixels: a short name for what a control shows.
uint32_t Checksum(const std::vector<COLORREF>& px)
{
    uint32_t h = 2166136261u;
    for (COLORREF c : px)
        for (int i = 0; i < 3; ++i)
            h = (h ^ ((c >> (8 * i)) & 0xFF)) * 16777619u;
    return h;
}

// What the skinned controls showed at each display setting, recorded from the
// build before their background parts came from crops (the looks must not
// change with how they are drawn): close, minimise, check box, start. 100 dpi
// is scale 1.0 like 96, but the caption's font is larger. To record them from
// another build: tests/e2e/record-looks.
struct Looks { int dpi; uint32_t close, minimise, check, start; };
const Looks kRecordedLooks[] = {
    {96, 0xec44bd6a, 0x41b25d72, 0x45fdffeb, 0xfafde1fe},
    {100, 0xec44bd6a, 0x41b25d72, 0x81aac268, 0xfafde1fe},
    {120, 0xc5378357, 0xe9c8bc73, 0x9bc2e56f, 0x6622da3f},
    {144, 0x0adbb88f, 0x33cabc6a, 0xc4cdcdaf, 0xee1cbef1},
};

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
        if (const char* other = std::getenv("VELMORA_LOOKS_PROGRAM")) {   // tests/e2e/record-looks
            ASSERT_TRUE(vt::CopyFileTo(vt::Wide(other), run.ProgramDir() + L"\\Velmora.exe"));
        }
        ::SetCursorPos(0, 0);   // no button under the pointer
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

        // Pixel for pixel what the recorded build showed.
        const int looksDpi = static_cast<int>(c.dpi);
        Looks got{looksDpi};
        uint32_t* sums[] = {&got.close, &got.minimise, &got.check, &got.start};
        const int ids[] = {IDC_BTN_CLOSE, IDC_BTN_MIN, IDC_CHK_AGREE, IDC_BTN_START};
        for (int i = 0; i < 4; ++i)
            *sums[i] = Checksum(Capture(main, vt::RectInParent(::GetDlgItem(main, ids[i]))));
        char row[96];
        std::snprintf(row, sizeof row, "{%d, 0x%08x, 0x%08x, 0x%08x, 0x%08x},", got.dpi, got.close, got.minimise,
                      got.check, got.start);
        if (std::getenv("VELMORA_RECORD_LOOKS")) {
            std::printf("    %s\n", row);
        } else {
            for (const Looks& want : kRecordedLooks)
                if (want.dpi == looksDpi) {
                    EXPECT_EQ(want.close, got.close) << row;
                    EXPECT_EQ(want.minimise, got.minimise) << row;
                    EXPECT_EQ(want.check, got.check) << row;
                    EXPECT_EQ(want.start, got.start) << row;
                }
        }

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
        if (round == 0) {
            before = now;
        } else if (round == 2) {
            EXPECT_EQ(now, before);
        }
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

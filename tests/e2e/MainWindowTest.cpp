// The main window as the user sees it, at the display scales the tool supports.
#include <gtest/gtest.h>
#include <richedit.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
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

// The recorded looks at 96 dpi, as a checksum per control id.
uint32_t RecordedLook(int id)
{
    const Looks& l = kRecordedLooks[0];
    return id == IDC_BTN_CLOSE ? l.close : id == IDC_BTN_MIN ? l.minimise : id == IDC_CHK_AGREE ? l.check : l.start;
}

uint32_t LookOf(HWND main, int id)
{
    return Checksum(Capture(main, vt::RectInParent(::GetDlgItem(main, id))));
}

HWND FocusOf(HWND main)
{
    GUITHREADINFO gti{};
    gti.cbSize = sizeof(gti);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &gti) ? gti.hwndFocus : nullptr;
}

// Real key presses to the window in front, which main is made first.
void PressKeys(HWND main, std::initializer_list<WORD> keys)
{
    vt::WaitFor([&] {
        ::SetForegroundWindow(main);
        return ::GetForegroundWindow() == main;
    }, 2000, 100);
    std::vector<INPUT> in;
    for (WORD k : keys)
        for (DWORD up : {0ul, static_cast<unsigned long>(KEYEVENTF_KEYUP)}) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = k;
            i.ki.dwFlags = up;
            in.push_back(i);
        }
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// The client area as it is on the screen, kept as <dir>\<name>.bmp to be
// looked at (not compared).
void SaveShot(HWND main, const std::wstring& dir, const std::wstring& name)
{
    RECT cr{};
    ::GetClientRect(main, &cr);
    const std::vector<COLORREF> px = Capture(main, cr);
    std::vector<uint32_t> rgb;
    for (COLORREF c : px)
        rgb.push_back((static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{sizeof(ih), cr.right, -cr.bottom, 1, 32};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(rgb.size() * 4);
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof(fh));
    bytes.append(reinterpret_cast<const char*>(&ih), sizeof(ih));
    bytes.append(reinterpret_cast<const char*>(rgb.data()), rgb.size() * 4);
    vt::WriteFileBytes(dir + L"\\" + name + L".bmp", bytes);
}

// Whether c is one of the two colours or anti-aliased drawing of one over the other.
bool IsBlendOf(COLORREF c, COLORREF a, COLORREF b)
{
    auto ch = [](COLORREF x, int i) { return static_cast<int>((x >> (8 * i)) & 0xFF); };
    int widest = 0;
    for (int i = 1; i < 3; ++i)
        if (std::abs(ch(b, i) - ch(a, i)) > std::abs(ch(b, widest) - ch(a, widest)))
            widest = i;
    const int span = ch(b, widest) - ch(a, widest);
    if (span == 0)
        return c == a;
    const double t = static_cast<double>(ch(c, widest) - ch(a, widest)) / span;
    if (t < -0.01 || t > 1.01)
        return false;
    for (int i = 0; i < 3; ++i)
        if (std::abs(ch(c, i) - (ch(a, i) + t * (ch(b, i) - ch(a, i)))) > 3)
            return false;
    return true;
}

// A high-contrast colour scheme (black ground, white window text, yellow
// button text) for the programs started while it lives, the colours before
// it given back when it goes.
class CHighContrastColours {
public:
    CHighContrastColours()
    {
        const COLORREF scheme[kCount] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 0),
                                         RGB(0, 255, 0), RGB(0, 255, 255), RGB(0, 0, 0)};
        for (int i = 0; i < kCount; ++i)
            m_saved[i] = ::GetSysColor(kIds[i]);
        ::SetSysColors(kCount, kIds, scheme);
    }
    ~CHighContrastColours() { ::SetSysColors(kCount, kIds, m_saved); }

private:
    static constexpr int kCount = 7;
    static constexpr int kIds[kCount] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT,
                                         COLOR_GRAYTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
    COLORREF m_saved[kCount] = {};
};

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

TEST(MainWindow, EveryControlIsNamedAndTheKeyboardShowsWhereTheFocusIs)
{
    CVelmoraRun run(L"main-keyboard");
    ::SetCursorPos(0, 0);   // no button under the pointer
    HWND main = StartShown(run);
    ASSERT_TRUE(main);
    // What assistive technology reads (wine's oleacc: names only).
    struct Named { int id; const wchar_t* name; } named[] = {
        {IDC_BTN_START, L"开始修复"}, {IDC_BTN_CLOSE, L"关闭"}, {IDC_BTN_MIN, L"最小化"},
        {IDC_CHK_AGREE, L"我同意"}, {IDC_STATIC_VERSION, L"1.0.22.419"},
    };
    for (const Named& n : named)
        EXPECT_EQ(vt::Utf8(vt::AccessibleName(::GetDlgItem(main, n.id))), vt::Utf8(n.name)) << n.id;
    EXPECT_EQ(vt::Utf8(vt::AccessibleName(main)), "Velmora");

    // Started and looked at without a key: the designed pixels, though the
    // start button has the focus.
    const int ids[] = {IDC_BTN_CLOSE, IDC_BTN_MIN, IDC_CHK_AGREE, IDC_BTN_START};
    for (int id : ids)
        EXPECT_EQ(LookOf(main, id), RecordedLook(id)) << id;
    EXPECT_EQ(FocusOf(main), ::GetDlgItem(main, IDC_BTN_START));   // in front since the first look

    // Each Tab moves the focus along the designed order, and the focused
    // control, and only it, shows its cue.
    struct Step { int focused; } steps[] = {{IDC_BTN_CLOSE}, {IDC_BTN_MIN}, {IDC_RE_AGREEMENT}, {IDC_CHK_AGREE}};
    for (const Step& st : steps) {
        SCOPED_TRACE(st.focused);
        PressKeys(main, {VK_TAB});
        HWND target = ::GetDlgItem(main, st.focused);
        ASSERT_TRUE(vt::WaitFor([&] { return FocusOf(main) == target; }, 3000));
        for (int id : ids) {
            if (id == st.focused)
                EXPECT_NE(LookOf(main, id), RecordedLook(id)) << "no focus cue on " << id;
            else
                EXPECT_EQ(LookOf(main, id), RecordedLook(id)) << id;
        }
    }
    SaveShot(main, run.Root(), L"main-focus-on-box");

    // Space toggles the box, and the start button follows it.
    HWND box = ::GetDlgItem(main, IDC_CHK_AGREE), start = ::GetDlgItem(main, IDC_BTN_START);
    PressKeys(main, {VK_SPACE});
    EXPECT_TRUE(vt::WaitFor([&] { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 3000));
    EXPECT_TRUE(vt::WaitFor([&] { return !::IsWindowEnabled(start); }, 3000));
    PressKeys(main, {VK_SPACE});
    EXPECT_TRUE(vt::WaitFor([&] { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 3000));
    EXPECT_TRUE(vt::WaitFor([&] { return ::IsWindowEnabled(start) != FALSE; }, 3000));
    // Esc and Enter do nothing to it.
    PressKeys(main, {VK_ESCAPE, VK_RETURN, VK_TAB});
    EXPECT_TRUE(vt::WaitFor([&] { return FocusOf(main) == start; }, 3000));
    EXPECT_TRUE(run.Process().Running());
    EXPECT_TRUE(::IsWindowVisible(main));
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    run.WaitExit(10000);
}

TEST(MainWindow, HighContrastTurnedOnAndOffRepaintsPlainInTheSystemColours)
{
    CVelmoraRun run(L"main-high-contrast");
    // Wine never reports the mode on: the program is answered through the
    // switch the message watch installs in it (tests/support/watch).
    const std::wstring name = L"VelmoraTestHighContrast-e2e-" + std::to_wstring(::GetCurrentProcessId());
    CHandle mode(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(mode);
    run.SetEnv(L"VELMORA_HIGH_CONTRAST_EVENT", name);
    CHighContrastColours colours;
    ::SetCursorPos(0, 0);
    HWND main = StartShown(run);
    ASSERT_TRUE(main);
    const COLORREF ground = ::GetSysColor(COLOR_WINDOW), text = ::GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE), buttonText = ::GetSysColor(COLOR_BTNTEXT);
    auto tell = [&] {
        DWORD_PTR r = 0;
        ::SendMessageTimeoutW(main, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_ABORTIFHUNG, 5000, &r);
    };

    ::SetEvent(mode.Get());
    tell();
    // The title band beside the version, and the ground under the agreement.
    const RECT band{600, 20, 700, 38}, below{20, 478, 300, 492};
    for (const RECT& r : {band, below}) {
        const std::vector<COLORREF> px = Capture(main, r);
        int off = 0;
        for (COLORREF c : px)
            off += c == ground ? 0 : 1;
        EXPECT_EQ(off, 0) << "not the plain window colour at " << r.left << "," << r.top;
    }
    struct Part { int id; COLORREF ground, ink; } parts[] = {
        {IDC_BTN_START, face, buttonText}, {IDC_BTN_CLOSE, face, buttonText},
        {IDC_BTN_MIN, face, buttonText}, {IDC_CHK_AGREE, ground, text},
    };
    for (const Part& p : parts) {
        const std::vector<COLORREF> px = Capture(main, vt::RectInParent(::GetDlgItem(main, p.id)));
        int strays = 0, ink = 0;
        for (COLORREF c : px) {
            strays += IsBlendOf(c, p.ground, p.ink) ? 0 : 1;
            ink += c == p.ground ? 0 : 1;
        }
        EXPECT_EQ(strays, 0) << "pixels in neither system colour on " << p.id;
        EXPECT_GT(ink, 20) << p.id;
    }
    int versionInk = 0;
    for (COLORREF c : Capture(main, {395, 20, 595, 38}))
        versionInk += IsBlendOf(c, ground, text) && c != ground ? 1 : 0;
    EXPECT_GT(versionInk, 30) << "the version in window text";
    SaveShot(main, run.Root(), L"main-high-contrast");

    // Off again: the designed pixels.
    ::ResetEvent(mode.Get());
    tell();
    for (int id : {IDC_BTN_CLOSE, IDC_BTN_MIN, IDC_CHK_AGREE, IDC_BTN_START})
        EXPECT_EQ(LookOf(main, id), RecordedLook(id)) << id;
    std::vector<COLORREF> beside = Capture(main, band);
    for (COLORREF c : beside)
        ASSERT_FALSE(IsWhite(c)) << "the title background should be dark again";
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    run.WaitExit(10000);
}

// How the prompt box and the please-wait dialog look over a light window:
// the shadow blends into what is behind it, the cards have no black corners,
// and a screenshot of each is kept in the test's scratch folder.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "res/resource.h"
#include "tests/support/TestSupport.h"
#include "tests/win/PromptTestSupport.h"
#include "ui/ExecutePromptDlg.h"
#include "ui/PromptChildDlg.h"
#include "ui/PromptDlg.h"

using prompttest::Brightness;
using prompttest::CBackdrop;

namespace {

// This process's window that shows child id, once it does (null after 5 s).
HWND AwaitWithChild(int id)
{
    HWND found = nullptr;
    vt::WaitFor([&] {
        for (HWND h : vt::TopLevelWindows(::GetCurrentProcessId())) {
            HWND c = ::GetDlgItem(h, id);
            if (c && ::IsWindowVisible(c))
                return (found = h) != nullptr;
        }
        return false;
    }, 5000);
    return found;
}

struct Sample {
    bool found = false;
    uint32_t outerCorner = 0;   // corner of the window rectangle
    uint32_t cardCorner = 0;    // just outside the card's rounded corner
    uint32_t shadow = 0;        // under the middle of the card's bottom edge
    uint32_t card = 0;          // inside the card, off the text
};

class Looks : public ::testing::Test {
protected:
    void SetUp() override
    {
        skintest::EnsureGdiplus();
        ASSERT_TRUE(m_backdrop.Create(100, 80, 1200, 900));
        m_dir = vt::ScratchDir(L"prompt-looks-" + vt::Wide(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    }
    CBackdrop m_backdrop;
    std::wstring m_dir;
};

}  // namespace

namespace {

struct Shown {
    const wchar_t* shot;
    Sample sample;
};

// Shows each prompt type over the backdrop, samples the screen, keeps a
// screenshot and answers it.
std::vector<Shown> ShowPrompts(HWND backdrop, const std::wstring& dir)
{
    struct Case { int type; float scale; const wchar_t* shot; const wchar_t* text; } cases[] = {
        {1, 1.0f, L"prompt-type1", L"检测到您的电脑不需要修复。"},
        {2, 1.0f, L"prompt-type2", L"修复完成，需要重启电脑后生效，是否立即重启？"},
        {3, 1.0f, L"prompt-type3", L"工具初始化失败"},
        {4, 1.0f, L"prompt-type4", L"修复过程中请勿关闭电脑。This message is long enough to wrap onto a second "
                                   L"line of the prompt box, so the wrapping can be seen."},
        {2, 1.5f, L"prompt-type2-150", L"修复完成，需要重启电脑后生效，是否立即重启？"},
    };
    std::vector<Shown> out;
    for (const auto& c : cases) {
        CPromptDlg dlg(backdrop);
        dlg.m_fScale = c.scale;
        dlg.SetMessage(c.text);
        dlg.SetPromptType(c.type);
        Sample s;
        bool rescued = false;
        prompttest::RunDriven(
            [&] { return dlg.DoModal(); },
            [&] {
                HWND content = AwaitWithChild(IDC_STATIC_PROMPT);
                if (!content)
                    return;
                HWND box = ::GetWindow(content, GW_OWNER);
                skintest::Pixels px = prompttest::SettledScreen(box, content);
                const RECT b = vt::ScreenRect(box), k = vt::ScreenRect(content);
                prompttest::SaveShot(dir, c.shot, b);
                s.found = true;
                s.outerCorner = px.At(b.left + 1, b.top + 1);
                s.cardCorner = px.At(k.left + 1, k.top + 1);
                s.shadow = px.At((k.left + k.right) / 2, k.bottom + 5);
                s.card = px.At(k.left + 10, k.bottom - 10);
                vt::Click(::GetDlgItem(content, IDC_BTN_PROMPT_FIRST));
            },
            [&] { ::SendMessageW(dlg.m_hWnd, WM_PROMPT_RESULT, 2, 0); }, &rescued);
        out.push_back({c.shot, s});
    }
    return out;
}

}  // namespace

TEST_F(Looks, PromptDrawsNothingWhereItsImageIsClear)
{
    for (const Shown& p : ShowPrompts(m_backdrop.Get(), m_dir)) {
        SCOPED_TRACE(vt::Utf8(p.shot));
        const Sample& s = p.sample;
        ASSERT_TRUE(s.found);
        EXPECT_EQ(s.outerCorner, prompttest::Rgb(prompttest::kBackdrop)) << std::hex << s.outerCorner;
        EXPECT_LT(Brightness(s.card), 80) << std::hex << s.card;
    }
}

TEST_F(Looks, PromptShadowIsSoftAndTheCardHasNoBlackCorners)
{
    if (!prompttest::DisplayBlendsTranslucentWindows(m_backdrop.Get()))
        GTEST_SKIP() << "this display shows translucent windows unblended (no compositing manager)";
    for (const Shown& p : ShowPrompts(m_backdrop.Get(), m_dir)) {
        SCOPED_TRACE(vt::Utf8(p.shot));
        const Sample& s = p.sample;
        ASSERT_TRUE(s.found);
        // The shadow darkens the light window a little; the card's rounded
        // corner blends into it rather than showing a dark square.
        EXPECT_GT(Brightness(s.cardCorner), 120) << std::hex << s.cardCorner;
        EXPECT_LT(Brightness(s.shadow), Brightness(prompttest::Rgb(prompttest::kBackdrop)) - 10) << std::hex << s.shadow;
        EXPECT_GT(Brightness(s.shadow), 100) << std::hex << s.shadow;
    }
}

TEST_F(Looks, PleaseWaitCardHasNoBlackCorners)
{
    struct Case { float scale; const wchar_t* shot; } cases[] = {
        {1.0f, L"please-wait"},
        {1.5f, L"please-wait-150"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(vt::Utf8(c.shot));
        CExecutePromptDlg dlg(m_backdrop.Get());
        dlg.m_fScale = c.scale;
        dlg.SetMessage(L"正在确认主机信息，请稍等");
        Sample s;
        bool rescued = false;
        prompttest::RunDriven(
            [&] { return dlg.DoModal(); },
            [&] {
                HWND h = AwaitWithChild(IDC_STATIC_PLEASE_WAIT);
                if (!h)
                    return;
                skintest::Pixels px = prompttest::SettledScreen(h, h);
                const RECT b = vt::ScreenRect(h);
                prompttest::SaveShot(m_dir, c.shot, b);
                const int mx = static_cast<int>(19 * c.scale), my = static_cast<int>(14 * c.scale);
                s.found = true;
                s.outerCorner = px.At(b.left + 1, b.top + 1);
                s.cardCorner = px.At(b.left + mx + 1, b.top + my + 1);
                s.shadow = px.At((b.left + b.right) / 2, b.bottom - 5);
                s.card = px.At(b.left + mx + 10, b.bottom - static_cast<int>(24 * c.scale) - 10);
                dlg.RequestClose();
            },
            [&] { dlg.RequestClose(); }, &rescued);
        ASSERT_TRUE(s.found);
        EXPECT_EQ(s.outerCorner, prompttest::Rgb(prompttest::kBackdrop)) << std::hex << s.outerCorner;
        EXPECT_GT(Brightness(s.cardCorner), 120) << std::hex << s.cardCorner;
        EXPECT_LT(Brightness(s.card), 80) << std::hex << s.card;
    }
}

namespace {

// Pixels of r on the screen that are neither the ground nor a blend of one of
// the inks on it, and how many are ink.
int Strays(const skintest::Pixels& screen, const RECT& r, uint32_t ground, std::initializer_list<uint32_t> inks,
           int* ink)
{
    int strays = 0;
    *ink = 0;
    for (uint32_t p : screen.Crop(r).px) {
        bool blend = false;
        for (uint32_t i : inks)
            blend = blend || skintest::IsBlendOf(p, ground, i);
        strays += blend ? 0 : 1;
        *ink += p != ground ? 1 : 0;
    }
    return strays;
}

RECT Inset(const RECT& r, int by)
{
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

}  // namespace

TEST_F(Looks, HighContrastDrawsTheRestartQuestionAndPleaseWaitInTheSystemColours)
{
    skintest::CHighContrast hc;
    ASSERT_TRUE(hc.On());
    const uint32_t ground = skintest::SysColour(COLOR_WINDOW);
    const auto inks = {skintest::SysColour(COLOR_WINDOWTEXT), skintest::SysColour(COLOR_BTNTEXT)};
    const uint32_t backdrop = prompttest::Rgb(prompttest::kBackdrop);

    CPromptDlg prompt(m_backdrop.Get());
    prompt.SetMessage(L"修复完成，需要重启电脑后生效，是否立即重启？");
    prompt.SetPromptType(2);
    int strays = -1, ink = 0, straysAfterOff = 0;
    uint32_t margin = 0, belowCard = 0;
    bool rescued = false;
    prompttest::RunDriven(
        [&] { return prompt.DoModal(); },
        [&] {
            HWND content = AwaitWithChild(IDC_STATIC_PROMPT);
            if (!content)
                return;
            HWND box = ::GetWindow(content, GW_OWNER);
            skintest::Pixels px = prompttest::SettledScreen(box, content);
            const RECT b = vt::ScreenRect(box), k = vt::ScreenRect(content);
            prompttest::SaveShot(m_dir, L"prompt-type2-high-contrast", b);
            // Inside the rounded corners: ground, text, the buttons' edges and texts.
            strays = Strays(px, Inset(k, 16), ground, inks, &ink);
            // No card and no shadow around it: the window behind shows.
            margin = px.At(b.left + 2, b.top + 2);
            belowCard = px.At((k.left + k.right) / 2, k.bottom + 5);
            // A Tab: the second button has the focus and shows its cue (kept to be looked at).
            vt::WaitFor([&] {
                ::SetForegroundWindow(content);
                return ::GetForegroundWindow() == content;
            }, 2000, 100);
            prompttest::PressTab();
            HWND second = ::GetDlgItem(content, IDC_BTN_PROMPT_SECOND);
            if (vt::WaitFor([&] { return prompttest::FocusOnThreadOf(content) == second; }, 3000)) {
                int cueStrays = 0, unused = 0;
                vt::WaitFor([&] { return prompttest::Screen().Crop(vt::ScreenRect(second)) !=
                                         px.Crop(vt::ScreenRect(second)); }, 3000, 50);
                cueStrays = Strays(prompttest::Screen(), Inset(k, 16), ground, inks, &unused);
                EXPECT_EQ(cueStrays, 0) << "the focus cue in none of the system's colours";
                prompttest::SaveShot(m_dir, L"prompt-type2-high-contrast-focus", b);
            }
            // The mode off while it is up: the skin again, the cue with it.
            hc.Switch(false);
            ::SendMessageW(box, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
            ::SendMessageW(content, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
            vt::WaitFor([&] {
                int unused = 0;
                straysAfterOff = Strays(prompttest::Screen(), Inset(k, 16), ground, inks, &unused);
                return straysAfterOff > 1000;
            }, 3000, 100);
            (void)prompttest::SettledScreen(box, content);
            prompttest::SaveShot(m_dir, L"prompt-type2-focus", b);
            vt::Click(::GetDlgItem(content, IDC_BTN_PROMPT_FIRST));
        },
        [&] { ::SendMessageW(prompt.m_hWnd, WM_PROMPT_RESULT, 2, 0); }, &rescued);
    EXPECT_EQ(strays, 0) << "pixels in none of the system's colours";
    EXPECT_GT(ink, 1500) << "the message, the two buttons' texts and edges";
    EXPECT_EQ(margin, backdrop) << std::hex << margin;
    EXPECT_EQ(belowCard, backdrop) << std::hex << belowCard;
    EXPECT_GT(straysAfterOff, 1000) << "turning the mode off did not bring the skin back";

    hc.Switch(true);
    CExecutePromptDlg wait(m_backdrop.Get());
    wait.SetMessage(L"正在修复，请稍等");
    int waitStrays = -1, waitInk = 0;
    prompttest::RunDriven(
        [&] { return wait.DoModal(); },
        [&] {
            HWND h = AwaitWithChild(IDC_STATIC_PLEASE_WAIT);
            if (!h)
                return;
            skintest::Pixels px = prompttest::SettledScreen(h, h);
            const RECT b = vt::ScreenRect(h);
            prompttest::SaveShot(m_dir, L"please-wait-high-contrast", b);
            const RECT card{b.left + 19 + 16, b.top + 14 + 16, b.right - 19 - 16, b.bottom - 24 - 16};
            waitStrays = Strays(px, card, ground, inks, &waitInk);
            wait.RequestClose();
        },
        [&] { wait.RequestClose(); }, &rescued);
    EXPECT_EQ(waitStrays, 0);
    EXPECT_GT(waitInk, 100) << "the working text";
}

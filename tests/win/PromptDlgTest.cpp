// The prompt box on real windows: the buttons each type shows and where,
// the answer per button, the background following the dragged content
// window, keys that must not answer, and its looks over a light window.
#include <gtest/gtest.h>

#include <vector>

#include "res/resource.h"
#include "tests/support/TestSupport.h"
#include "tests/win/PromptTestSupport.h"
#include "ui/PromptChildDlg.h"
#include "ui/PromptDlg.h"

using prompttest::CBackdrop;

namespace {

struct PromptWindows {
    HWND box = nullptr;       // the shadow window, owner of the content window
    HWND content = nullptr;   // the window with the message static
};

// The prompt as a user would find it: the visible window with the message.
bool FindPrompt(PromptWindows* w)
{
    for (HWND h : vt::TopLevelWindows(::GetCurrentProcessId())) {
        HWND message = ::GetDlgItem(h, IDC_STATIC_PROMPT);
        HWND owner = ::GetWindow(h, GW_OWNER);
        if (message && ::IsWindowVisible(message) && owner && ::IsWindowVisible(owner)) {
            *w = {owner, h};
            return true;
        }
    }
    return false;
}

// Whether the content window is what the screen shows at its middle (it is up
// and in front of its shadow window).
bool ContentInFront(const PromptWindows& w)
{
    const RECT rc = vt::ScreenRect(w.content);
    HWND at = ::WindowFromPoint({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
    return at && (at == w.content || ::IsChild(w.content, at));
}

PromptWindows WaitPrompt()
{
    PromptWindows w;
    vt::WaitFor([&] { return FindPrompt(&w); }, 5000);
    if (w.content)
        vt::WaitFor([&] { return ContentInFront(w); }, 3000);
    return w;
}


struct Observed {
    bool found = false;
    RECT box{}, content{};
    LONG boxExStyle = 0;
    bool shown[3] = {};   // close, first, second
    RECT place[3] = {};
    RECT message{};
    std::wstring text;
    // What assistive technology reads: the box, the content window, the
    // first and the second button.
    std::wstring names[4];
};

const int kButtonIds[3] = {IDC_BTN_PROMPT_CLOSE, IDC_BTN_PROMPT_FIRST, IDC_BTN_PROMPT_SECOND};

Observed Observe(const PromptWindows& w)
{
    Observed o;
    o.found = w.box && w.content;
    if (!o.found)
        return o;
    o.box = vt::ScreenRect(w.box);
    o.content = vt::ScreenRect(w.content);
    o.boxExStyle = ::GetWindowLongW(w.box, GWL_EXSTYLE);
    for (int i = 0; i < 3; ++i) {
        HWND b = ::GetDlgItem(w.content, kButtonIds[i]);
        o.shown[i] = ::IsWindowVisible(b) != FALSE;
        o.place[i] = vt::RectInParent(b);
    }
    HWND m = ::GetDlgItem(w.content, IDC_STATIC_PROMPT);
    o.message = vt::RectInParent(m);
    o.text = vt::Text(m);
    const HWND named[4] = {w.box, w.content, ::GetDlgItem(w.content, IDC_BTN_PROMPT_FIRST),
                           ::GetDlgItem(w.content, IDC_BTN_PROMPT_SECOND)};
    for (int i = 0; i < 4; ++i)
        o.names[i] = vt::AccessibleName(named[i]);
    return o;
}

// Ends a prompt that the test failed to answer.
void Rescue()
{
    PromptWindows w;
    if (FindPrompt(&w))
        ::SendMessageW(w.box, WM_PROMPT_RESULT, 2, 0);
}

INT_PTR RunPrompt(int type, const std::wstring& text, float scale, HWND parent,
                  const std::function<void(const PromptWindows&)>& drive, bool* rescued)
{
    CPromptDlg dlg(parent);
    dlg.m_fScale = scale;
    dlg.SetMessage(text);
    dlg.SetPromptType(type);
    return prompttest::RunDriven([&] { return dlg.DoModal(); }, [&] { drive(WaitPrompt()); }, Rescue, rescued);
}

std::string Str(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

RECT Around(const RECT& content, int l, int t, int r, int b)
{
    return {content.left - l, content.top - t, content.right + r, content.bottom + b};
}

class Prompt : public ::testing::Test {
protected:
    void SetUp() override
    {
        skintest::EnsureGdiplus();
        ASSERT_TRUE(m_backdrop.Create(200, 150, 1000, 800));
    }
    CBackdrop m_backdrop;
};

}  // namespace

TEST_F(Prompt, EachTypeShowsItsButtonsInPlaceAndAnswersPerButton)
{
    const RECT left{89, 207, 207, 241}, centred{160, 207, 278, 241}, second{231, 207, 349, 241};
    // The buttons' names are what their images show.
    struct Case { int type; int click; INT_PTR result; bool secondShown; RECT first; const wchar_t *yes, *no; } cases[] = {
        {1, IDC_BTN_PROMPT_FIRST, IDOK, false, centred, L"是", L"否"},
        {1, IDC_BTN_PROMPT_CLOSE, IDCANCEL, false, centred, L"是", L"否"},
        {2, IDC_BTN_PROMPT_FIRST, IDOK, true, left, L"是", L"否"},
        {2, IDC_BTN_PROMPT_SECOND, IDCANCEL, true, left, L"是", L"否"},
        {3, IDC_BTN_PROMPT_FIRST, IDOK, false, centred, L"确定", L"取消"},
        {3, IDC_BTN_PROMPT_CLOSE, IDCANCEL, false, centred, L"确定", L"取消"},
        {4, IDC_BTN_PROMPT_SECOND, IDCANCEL, true, left, L"确定", L"取消"},
        {4, IDC_BTN_PROMPT_CLOSE, IDCANCEL, true, left, L"确定", L"取消"},
        {7, IDC_BTN_PROMPT_FIRST, IDOK, false, left, L"是", L"否"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", button " + std::to_string(c.click));
        const std::wstring text = L"修复完成，是否立即重启电脑？类型 " + std::to_wstring(c.type);
        Observed o;
        bool rescued = false;
        INT_PTR r = RunPrompt(c.type, text, 1.0f, m_backdrop.Get(),
                              [&](const PromptWindows& w) {
                                  o = Observe(w);
                                  vt::Click(::GetDlgItem(w.content, c.click));
                              },
                              &rescued);
        ASSERT_TRUE(o.found);
        EXPECT_FALSE(rescued) << "the click did not end the prompt";
        EXPECT_EQ(r, c.result);

        EXPECT_TRUE(o.boxExStyle & WS_EX_LAYERED);
        EXPECT_EQ(Str(o.box), Str(Around(o.content, 19, 14, 19, 24)));
        EXPECT_EQ(o.content.right - o.content.left, 438);
        EXPECT_EQ(o.content.bottom - o.content.top, 251);
        EXPECT_TRUE(o.shown[0] && o.shown[1]);
        EXPECT_EQ(o.shown[2], c.secondShown);
        EXPECT_EQ(Str(o.place[0]), Str(RECT{408, 12, 421, 25}));
        EXPECT_EQ(Str(o.place[1]), Str(c.first));
        if (c.secondShown) {
            EXPECT_EQ(Str(o.place[2]), Str(second));
        }
        EXPECT_EQ(Str(o.message), Str(RECT{20, 40, 418, 201}));
        EXPECT_EQ(o.text, text);
        EXPECT_EQ(vt::Utf8(o.names[0]), vt::Utf8(text)) << "the box is named by its message";
        EXPECT_EQ(vt::Utf8(o.names[1]), vt::Utf8(text)) << "the content window is named by its message";
        EXPECT_EQ(vt::Utf8(o.names[2]), vt::Utf8(c.yes));
        EXPECT_EQ(vt::Utf8(o.names[3]), vt::Utf8(c.no));
    }
}

TEST_F(Prompt, AtOneAndAHalfTheBoxAndItsControlsScale)
{
    Observed o;
    bool rescued = false;
    INT_PTR r = RunPrompt(4, L"设备禁用失败", 1.5f, m_backdrop.Get(),
                          [&](const PromptWindows& w) {
                              o = Observe(w);
                              vt::Click(::GetDlgItem(w.content, IDC_BTN_PROMPT_FIRST));
                          },
                          &rescued);
    ASSERT_TRUE(o.found);
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(o.box.right - o.box.left, 714);
    EXPECT_EQ(o.box.bottom - o.box.top, 433);
    EXPECT_EQ(o.content.left - o.box.left, 28);
    EXPECT_EQ(o.content.top - o.box.top, 21);
    EXPECT_EQ(Str(o.box), Str(Around(o.content, 28, 21, 28, 36)));
    EXPECT_EQ(Str(o.place[0]), Str(RECT{613, 18, 632, 37}));
    EXPECT_EQ(Str(o.place[1]), Str(RECT{134, 310, 311, 361}));
    EXPECT_EQ(Str(o.place[2]), Str(RECT{347, 310, 524, 361}));
    EXPECT_EQ(Str(o.message), Str(RECT{30, 60, 628, 301}));
}

TEST_F(Prompt, DraggingTheTitleStripBringsTheShadowAlongButNotFromTheCloseCorner)
{
    RECT start{}, afterCorner{}, afterStrip{}, boxAfterStrip{}, boxAfterCorner{};
    bool stillUpAfterCorner = false, dragsHandled = false;
    bool rescued = false;
    INT_PTR r = RunPrompt(2, L"是否继续？", 1.0f, m_backdrop.Get(),
                          [&](const PromptWindows& w) {
                              start = vt::ScreenRect(w.content);
                              // The close button's corner (right 26, top 30 of the client), off
                              // the button itself and inside the rounded shape.
                              POINT corner{start.left + 428, start.top + 27};
                              dragsHandled = prompttest::Drag(corner, {corner.x + 60, corner.y + 40}, w.content);
                              afterCorner = vt::ScreenRect(w.content);
                              boxAfterCorner = vt::ScreenRect(w.box);
                              stillUpAfterCorner = ::IsWindowVisible(w.content) != FALSE;
                              POINT strip{start.left + 120, start.top + 12};
                              dragsHandled = prompttest::Drag(strip, {strip.x + 60, strip.y + 40}, w.content) &&
                                             dragsHandled;
                              afterStrip = vt::ScreenRect(w.content);
                              boxAfterStrip = vt::ScreenRect(w.box);
                              vt::Click(::GetDlgItem(w.content, IDC_BTN_PROMPT_FIRST));
                          },
                          &rescued);
    EXPECT_EQ(r, IDOK);
    EXPECT_TRUE(dragsHandled);
    EXPECT_TRUE(stillUpAfterCorner);
    EXPECT_EQ(Str(afterCorner), Str(start)) << "a press in the close corner dragged the window";
    EXPECT_EQ(Str(boxAfterCorner), Str(Around(start, 19, 14, 19, 24)));
    // Real pointer input: allow the pointer a pixel either way.
    EXPECT_NEAR(afterStrip.left - start.left, 60, 2);
    EXPECT_NEAR(afterStrip.top - start.top, 40, 2);
    EXPECT_EQ(afterStrip.right - afterStrip.left, 438);
    EXPECT_EQ(Str(boxAfterStrip), Str(Around(afterStrip, 19, 14, 19, 24)));
}

TEST_F(Prompt, EscapeAndEnterDoNotAnswer)
{
    bool upAfterKeys = false;
    bool rescued = false;
    INT_PTR r = RunPrompt(4, L"确定要退出吗？", 1.0f, m_backdrop.Get(),
                          [&](const PromptWindows& w) {
                              // Each batch of keys ends in a Tab, which moves the focus:
                              // keys are taken in order, so once it has moved, every
                              // key before it has been handled.
                              auto focusMovedFrom = [&](HWND before) {
                                  return vt::WaitFor([&] { return prompttest::FocusOnThreadOf(w.content) != before; }, 3000);
                              };
                              HWND targets[] = {w.content, ::GetDlgItem(w.content, IDC_BTN_PROMPT_FIRST),
                                                ::GetDlgItem(w.content, IDC_BTN_PROMPT_SECOND), w.box};
                              HWND before = prompttest::FocusOnThreadOf(w.content);
                              for (HWND t : targets)
                                  for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
                                      ::PostMessageW(t, WM_KEYDOWN, key, 1);
                                      ::PostMessageW(t, WM_KEYUP, key, 0xC0000001);
                                  }
                              ::PostMessageW(w.content, WM_KEYDOWN, VK_TAB, 1);
                              const bool postedHandled = focusMovedFrom(before);
                              // And real key presses with the content window in front.
                              vt::WaitFor([&] {
                                  ::SetForegroundWindow(w.content);
                                  return ::GetForegroundWindow() == w.content;
                              }, 2000, 100);
                              before = prompttest::FocusOnThreadOf(w.content);
                              INPUT in[6] = {};
                              WORD keys[6] = {VK_ESCAPE, VK_ESCAPE, VK_RETURN, VK_RETURN, VK_TAB, VK_TAB};
                              for (int i = 0; i < 6; ++i) {
                                  in[i].type = INPUT_KEYBOARD;
                                  in[i].ki.wVk = keys[i];
                                  in[i].ki.dwFlags = (i % 2) ? KEYEVENTF_KEYUP : 0;
                              }
                              ::SendInput(6, in, sizeof(INPUT));
                              const bool pressedHandled = focusMovedFrom(before);
                              upAfterKeys = postedHandled && pressedHandled && ::IsWindowVisible(w.content) &&
                                            ::IsWindowVisible(w.box);
                              vt::Click(::GetDlgItem(w.content, IDC_BTN_PROMPT_SECOND));
                          },
                          &rescued);
    EXPECT_TRUE(upAfterKeys);
    EXPECT_FALSE(rescued);
    EXPECT_EQ(r, IDCANCEL);
}

TEST_F(Prompt, TabShowsTheFocusCueAndSpacePressesTheFocusedButton)
{
    // The content window's tab order: first, second (when shown), close.
    struct Case { int type; int tabs; int focused; INT_PTR result; } cases[] = {
        {2, 1, IDC_BTN_PROMPT_SECOND, IDCANCEL},
        {2, 3, IDC_BTN_PROMPT_FIRST, IDOK},
        {1, 1, IDC_BTN_PROMPT_CLOSE, IDCANCEL},
        {4, 2, IDC_BTN_PROMPT_CLOSE, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", " + std::to_string(c.tabs) + " tabs");
        bool focusedAsPlanned = false, cueShown = false, othersAsBefore = true, startsOnFirst = false;
        bool rescued = false;
        INT_PTR r = RunPrompt(c.type, L"修复完成，需要重启电脑后生效，是否立即重启？", 1.0f, m_backdrop.Get(),
                              [&](const PromptWindows& w) {
                                  vt::WaitFor([&] {
                                      ::SetForegroundWindow(w.content);
                                      return ::GetForegroundWindow() == w.content;
                                  }, 2000, 100);
                                  auto part = [&](const skintest::Pixels& screen, int id) {
                                      RECT r = vt::ScreenRect(::GetDlgItem(w.content, id));
                                      return screen.Crop(r);
                                  };
                                  const skintest::Pixels before = prompttest::SettledScreen(w.content, w.content);
                                  // Focused from the start, by no key: no cue (the row that
                                  // comes back to it shows the difference).
                                  startsOnFirst = prompttest::FocusOnThreadOf(w.content) ==
                                                  ::GetDlgItem(w.content, IDC_BTN_PROMPT_FIRST);
                                  prompttest::PressTab(c.tabs);
                                  HWND target = ::GetDlgItem(w.content, c.focused);
                                  focusedAsPlanned = vt::WaitFor(
                                      [&] { return prompttest::FocusOnThreadOf(w.content) == target; }, 3000);
                                  skintest::Pixels after;
                                  cueShown = vt::WaitFor([&] {
                                      after = prompttest::Screen();
                                      return part(after, c.focused) != part(before, c.focused);
                                  }, 3000, 50);
                                  for (int id : {IDC_BTN_PROMPT_FIRST, IDC_BTN_PROMPT_SECOND, IDC_BTN_PROMPT_CLOSE})
                                      if (id != c.focused && ::IsWindowVisible(::GetDlgItem(w.content, id)))
                                          othersAsBefore = othersAsBefore && part(after, id) == part(before, id);
                                  INPUT space[2] = {};
                                  for (int i = 0; i < 2; ++i) {
                                      space[i].type = INPUT_KEYBOARD;
                                      space[i].ki.wVk = VK_SPACE;
                                      space[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
                                  }
                                  ::SendInput(2, space, sizeof(INPUT));
                              },
                              &rescued);
        EXPECT_TRUE(startsOnFirst);
        EXPECT_TRUE(focusedAsPlanned);
        EXPECT_TRUE(cueShown) << "the focused button looks as it did before the keyboard was used";
        EXPECT_TRUE(othersAsBefore) << "a button without the focus changed";
        EXPECT_FALSE(rescued) << "Space did not press the focused button";
        EXPECT_EQ(r, c.result);
    }
}

// The dialog templates compiled into the program: ids, classes, styles, order.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/TestSupport.h"

namespace {

INT_PTR CALLBACK NullProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

struct Control { int id; std::wstring cls; DWORD style; DWORD mask; };

HWND CreateTemplate(int id)
{
    ::LoadLibraryW(L"riched20.dll");
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, NullProc, 0);
}

void ExpectControls(HWND dlg, const std::vector<Control>& expected)
{
    std::vector<HWND> kids = vt::Children(dlg);
    ASSERT_EQ(kids.size(), expected.size());
    for (size_t i = 0; i < kids.size(); ++i) {
        SCOPED_TRACE(expected[i].id);
        EXPECT_EQ(::GetDlgCtrlID(kids[i]), expected[i].id);
        EXPECT_EQ(_wcsicmp(vt::ClassOf(kids[i]).c_str(), expected[i].cls.c_str()), 0) << vt::Utf8(vt::ClassOf(kids[i]));
        DWORD style = static_cast<DWORD>(::GetWindowLongW(kids[i], GWL_STYLE));
        EXPECT_EQ(style & expected[i].mask, expected[i].style) << std::hex << style;
    }
}

const DWORD kTypeMask = BS_TYPEMASK | WS_CHILD | WS_VISIBLE | WS_TABSTOP;

}  // namespace

TEST(Templates, MainWindowHasItsFiveControlsInTabOrder)
{
    HWND dlg = CreateTemplate(IDD_VELMORA_DIALOG);
    ASSERT_TRUE(dlg);
    DWORD style = static_cast<DWORD>(::GetWindowLongW(dlg, GWL_STYLE));
    DWORD ex = static_cast<DWORD>(::GetWindowLongW(dlg, GWL_EXSTYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_CAPTION & ~WS_BORDER);   // no caption bar
    EXPECT_FALSE(style & WS_BORDER);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(ex & WS_EX_APPWINDOW);

    // The rich edit turns WS_BORDER into its own client edge; checked below.
    const DWORD edit = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_DISABLENOSCROLL;
    ExpectControls(dlg, {
        {IDC_BTN_START, L"Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, kTypeMask},
        {IDC_BTN_CLOSE, L"Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, kTypeMask},
        {IDC_BTN_MIN, L"Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, kTypeMask},
        {IDC_RE_AGREEMENT, L"RichEdit20W", edit, edit},
        {IDC_CHK_AGREE, L"Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, kTypeMask},
        // The version as text, out of the tab order.
        {IDC_STATIC_VERSION, L"Static", WS_CHILD | WS_VISIBLE, WS_CHILD | WS_VISIBLE | WS_TABSTOP},
    });
    HWND re = ::GetDlgItem(dlg, IDC_RE_AGREEMENT);
    EXPECT_TRUE((::GetWindowLongW(re, GWL_STYLE) & WS_BORDER) || (::GetWindowLongW(re, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    EXPECT_EQ(vt::Text(::GetDlgItem(dlg, IDC_BTN_START)), L"开始修复");
    ::DestroyWindow(dlg);
}

TEST(Templates, PromptTemplatesHoldTheirControls)
{
    const DWORD btn = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
    HWND wait = CreateTemplate(IDD_PLEASE_WAIT);
    ASSERT_TRUE(wait);
    ExpectControls(wait, {{IDC_STATIC_PLEASE_WAIT, L"Static", WS_CHILD | WS_VISIBLE, WS_CHILD | WS_VISIBLE}});
    ::DestroyWindow(wait);

    HWND box = CreateTemplate(IDD_PROMPT);
    ASSERT_TRUE(box);
    EXPECT_TRUE(vt::Children(box).empty());
    ::DestroyWindow(box);

    HWND content = CreateTemplate(IDD_PROMPT_CONTENT);
    ASSERT_TRUE(content);
    ExpectControls(content, {
        {IDC_BTN_PROMPT_FIRST, L"Button", btn, kTypeMask},
        {IDC_BTN_PROMPT_SECOND, L"Button", btn, kTypeMask},
        {IDC_BTN_PROMPT_CLOSE, L"Button", btn, kTypeMask},
        {IDC_STATIC_PROMPT, L"Static", WS_CHILD | WS_VISIBLE, WS_CHILD | WS_VISIBLE},
    });
    for (int id : {IDD_PLEASE_WAIT, IDD_PROMPT, IDD_PROMPT_CONTENT}) {
        HWND h = CreateTemplate(id);
        DWORD style = static_cast<DWORD>(::GetWindowLongW(h, GWL_STYLE));
        EXPECT_EQ(style & (WS_POPUP | WS_SYSMENU | WS_CAPTION | WS_BORDER | WS_VISIBLE), WS_POPUP | WS_SYSMENU) << id;
        ::DestroyWindow(h);
    }
    ::DestroyWindow(content);
}

TEST(Templates, AboutItemStringAndVersion)
{
    wchar_t buf[64] = {};
    ASSERT_GT(::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, buf, 64), 0);
    EXPECT_STREQ(buf, L"关于 Velmora(&A)...");
}

// demodriver <folder for screenshots> [--interactive]
//
// Waits for Velmora's main window, then goes through a run as a user would:
// the host check's please-wait dialog, the ready window, the start button, the
// restart question ("否"), and closing. Saves a PNG of each step. With
// --interactive it only waits for the program to end (a person drives it).
#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/Gdi.h"

namespace {

std::wstring g_out;

bool WaitFor(DWORD ms, bool (*cond)(HWND*), HWND* out)
{
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        if (cond(out))
            return true;
        ::Sleep(50);
    }
    return false;
}

struct Find { int childId; HWND found; };

BOOL CALLBACK FindWithChild(HWND h, LPARAM l)
{
    auto* f = reinterpret_cast<Find*>(l);
    HWND c = ::GetDlgItem(h, f->childId);
    if (::IsWindowVisible(h) && c && ::IsWindowVisible(c)) {
        f->found = h;
        return FALSE;
    }
    return TRUE;
}

HWND WindowWithChild(int id)
{
    Find f{id, nullptr};
    ::EnumWindows(FindWithChild, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

bool MainWindow(HWND* out) { return (*out = ::FindWindowW(nullptr, L"Velmora")) != nullptr && ::IsWindowVisible(*out); }
bool PleaseWait(HWND* out) { return (*out = WindowWithChild(1004)) != nullptr; }
bool Prompt(HWND* out) { return (*out = WindowWithChild(1006)) != nullptr; }
bool NoPleaseWait(HWND* out) { return !PleaseWait(out); }

// Saves the screen area rc as a PNG file.
void SaveScreenArea(const RECT& rc, const std::wstring& path)
{
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    CWindowDCRef screen(nullptr);
    CMemoryDC mem(::CreateCompatibleDC(screen.Get()));
    CBitmapObj bmp(::CreateCompatibleBitmap(screen.Get(), w, h));
    {
        CSelectObject select(mem.Get(), bmp.Get());
        ::BitBlt(mem.Get(), 0, 0, w, h, screen.Get(), rc.left, rc.top, SRCCOPY);
    }
    Gdiplus::GpBitmap* bitmap = nullptr;
    gp::GdipCreateBitmapFromHBITMAP(bmp.Get(), nullptr, &bitmap);
    CImagePtr image(bitmap);
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    if (image)
        gp::GdipSaveImageToFile(image.get(), path.c_str(), &png, nullptr);
}

// Saves the screen area of rc (plus a margin) as <out>\<name>.png.
void Shot(const wchar_t* name, RECT rc, int margin = 24)
{
    ::Sleep(400);   // let paints and animations settle
    rc.left -= margin; rc.top -= margin; rc.right += margin; rc.bottom += margin;
    if (rc.left < 0) rc.left = 0;
    if (rc.top < 0) rc.top = 0;
    SaveScreenArea(rc, g_out + L"\\" + name + L".png");
    std::printf("   saved %ls.png\n", name);
    std::fflush(stdout);
}

RECT Union(HWND a, HWND b)
{
    RECT ra{}, rb{}, u{};
    ::GetWindowRect(a, &ra);
    ::GetWindowRect(b, &rb);
    ::UnionRect(&u, &ra, &rb);
    return u;
}

int Fail(const char* what)
{
    std::printf("demo: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return Fail("usage: demodriver <screenshot folder> [--interactive]");
    g_out = argv[1];
    const bool interactive = argc > 2 && std::wstring(argv[2]) == L"--interactive";

    Gdiplus::GdiplusStartupInput in;
    ULONG_PTR token = 0;
    gp::GdiplusStartup(&token, &in, nullptr);

    HWND main = nullptr, wait = nullptr, prompt = nullptr;
    if (!WaitFor(20000, MainWindow, &main))
        return Fail("the main window did not appear");
    if (interactive) {
        while (::IsWindow(main))
            ::Sleep(200);
        return 0;
    }

    if (WaitFor(10000, PleaseWait, &wait))
        Shot(L"1-host-check", Union(main, wait), 0);
    if (!WaitFor(60000, NoPleaseWait, &wait))
        return Fail("the host check did not finish");
    ::Sleep(300);
    if (Prompt(&prompt))
        return Fail("the tool refused the simulated PC (see its prompt)");
    Shot(L"2-main-window", [&] { RECT r; ::GetWindowRect(main, &r); return r; }(), 0);

    HWND start = ::GetDlgItem(main, 1009);
    if (!::IsWindowEnabled(start))
        return Fail("the start button is disabled");
    ::PostMessageW(start, BM_CLICK, 0, 0);
    if (WaitFor(5000, PleaseWait, &wait))
        Shot(L"3-repairing", Union(main, wait), 0);
    if (!WaitFor(60000, Prompt, &prompt))
        return Fail("no answer after the repair");
    Shot(L"4-restart-question", Union(main, prompt), 0);

    ::PostMessageW(::GetDlgItem(prompt, 1008), BM_CLICK, 0, 0);   // "否": no restart in a demo
    ::Sleep(500);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(main, &pid);
    for (int i = 0; i < 100 && ::IsWindow(main); ++i)
        ::Sleep(100);
    gp::GdiplusShutdown(token);
    return 0;
}

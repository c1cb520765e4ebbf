#include "tests/win/SkinTestSupport.h"

#include <cstdio>
#include <cstdlib>

#include "res/resource.h"
#include "tests/support/watch/HighContrastSwitch.h"
#include "ui/PngResource.h"
#include "ui/SkinnedControl.h"

namespace skintest {

void EnsureGdiplus()
{
    static CGdiplusSession* session = [] {
        auto* s = new CGdiplusSession();
        (void)s->Startup();   // without GDI+ the pictures come out blank, which the checks see
        return s;
    }();
    (void)session;
}

void Pump(DWORD ms)
{
    const DWORD end = ::GetTickCount() + ms;
    MSG m;
    do {
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        ::Sleep(2);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

Pixels Pixels::Crop(const RECT& r) const
{
    Pixels out;
    out.w = r.right - r.left;
    out.h = r.bottom - r.top;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            out.px.push_back(At(x, y));
    return out;
}

int Pixels::CountNot(uint32_t colour) const
{
    int n = 0;
    for (uint32_t p : px)
        n += p != colour;
    return n;
}

bool Pixels::SaveBmp(const std::wstring& path) const
{
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = w;
    ih.biHeight = -h;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    const DWORD bytes = static_cast<DWORD>(px.size() * 4);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + bytes;
    CFileHandle f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f)
        return false;
    DWORD n = 0;
    return ::WriteFile(f.Get(), &fh, sizeof(fh), &n, nullptr) && ::WriteFile(f.Get(), &ih, sizeof(ih), &n, nullptr) &&
           ::WriteFile(f.Get(), px.data(), bytes, &n, nullptr);
}

Pixels Capture(HWND hWnd)
{
    Pixels out;
    ::UpdateWindow(hWnd);
    Pump(20);
    RECT rc{};
    ::GetClientRect(hWnd, &rc);
    out.w = rc.right;
    out.h = rc.bottom;
    if (out.w <= 0 || out.h <= 0)
        return out;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = out.w;
    bi.bmiHeader.biHeight = -out.h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    CWindowDCRef src(hWnd);
    CBitmapObj dib(::CreateDIBSection(src.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    CMemoryDC mem(::CreateCompatibleDC(src.Get()));
    if (!dib || !mem || !bits)
        return out;
    {
        CSelectObject sel(mem.Get(), dib.Get());
        ::BitBlt(mem.Get(), 0, 0, out.w, out.h, src.Get(), 0, 0, SRCCOPY);
        ::GdiFlush();
    }
    const auto* p = static_cast<const uint32_t*>(bits);
    out.px.assign(p, p + static_cast<size_t>(out.w) * out.h);
    for (auto& v : out.px)
        v &= 0xFFFFFF;
    return out;
}

bool IsBlendOf(uint32_t px, uint32_t c1, uint32_t c2)
{
    auto ch = [](uint32_t c, int i) { return static_cast<int>((c >> (8 * i)) & 0xFF); };
    int widest = 0;
    for (int i = 1; i < 3; ++i)
        if (std::abs(ch(c2, i) - ch(c1, i)) > std::abs(ch(c2, widest) - ch(c1, widest)))
            widest = i;
    const int span = ch(c2, widest) - ch(c1, widest);
    if (span == 0)
        return px == c1;
    const double t = static_cast<double>(ch(px, widest) - ch(c1, widest)) / span;
    if (t < -0.01 || t > 1.01)
        return false;
    for (int i = 0; i < 3; ++i)
        if (std::abs(ch(px, i) - (ch(c1, i) + t * (ch(c2, i) - ch(c1, i)))) > 3)
            return false;
    return true;
}

uint32_t SysColour(int index)
{
    const COLORREF c = ::GetSysColor(index);
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

CHighContrast::CHighContrast()
{
    static const bool installed = hcswitch::Install(::GetModuleHandleW(nullptr));
    (void)installed;   // without it the mode stays off, which On() tells
    const std::wstring name = L"VelmoraTestHighContrast-" + std::to_wstring(::GetCurrentProcessId());
    ::SetEnvironmentVariableW(L"VELMORA_HIGH_CONTRAST_EVENT", name.c_str());
    m_event = ::CreateEventW(nullptr, TRUE, TRUE, name.c_str());
    const int ids[6] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_GRAYTEXT, COLOR_HIGHLIGHT};
    const COLORREF scheme[6] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 255, 0),
                                RGB(0, 255, 255)};
    for (int i = 0; i < 6; ++i) {
        m_ids[i] = ids[i];
        m_saved[i] = ::GetSysColor(ids[i]);
    }
    ::SetSysColors(6, m_ids, scheme);
    const int text[1] = {COLOR_HIGHLIGHTTEXT};
    const COLORREF black[1] = {RGB(0, 0, 0)};
    m_savedHighlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    ::SetSysColors(1, text, black);
}

CHighContrast::~CHighContrast()
{
    ::SetSysColors(6, m_ids, m_saved);
    const int text[1] = {COLOR_HIGHLIGHTTEXT};
    ::SetSysColors(1, text, &m_savedHighlightText);
    if (m_event)
        ::CloseHandle(m_event);
    ::SetEnvironmentVariableW(L"VELMORA_HIGH_CONTRAST_EVENT", nullptr);
}

void CHighContrast::Switch(bool on)
{
    if (on)
        ::SetEvent(m_event);
    else
        ::ResetEvent(m_event);
}

bool CHighContrast::On()
{
    return HighContrastOn();
}

namespace {
const wchar_t kHostClass[] = L"VelmoraSkinTestHost";

void RegisterHostClass()
{
    static bool done = false;
    if (done)
        return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kHostClass;
    ::RegisterClassW(&wc);
    done = true;
}
}  // namespace

CHostWnd::~CHostWnd()
{
    Destroy();
}

bool CHostWnd::Create(int x, int y, int w, int h, UINT backgroundId)
{
    EnsureGdiplus();
    RegisterHostClass();
    if (!m_bkImage)
        (void)LoadPngResource(m_bkImage, backgroundId);   // a host without it is plain, which the checks see
    HWND hWnd = ::CreateWindowExW(0, kHostClass, L"skin test", WS_POPUP, x, y, w, h, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (!hWnd) {
        std::fprintf(stderr, "host window not created: error %lu, desktop window %p\n", ::GetLastError(),
                     static_cast<void*>(::GetDesktopWindow()));
        return false;
    }
    if (!SubclassWindow(hWnd))
        return false;
    ::ShowWindow(hWnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hWnd);
    Pump(30);
    return true;
}

void CHostWnd::Destroy()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    m_bkImage = CPngImage();
}

HWND CHostWnd::AddChild(const wchar_t* cls, DWORD style, int id, const RECT& rc, const wchar_t* text)
{
    HWND h = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, rc.left, rc.top, rc.right - rc.left,
                               rc.bottom - rc.top, m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    if (h && m_hFont)
        ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    return h;
}

BOOL CHostWnd::OnEraseBkgnd(HDC hDC)
{
    RECT rc = GetClientRect();
    CGraphics g(hDC);
    if (g)
        DrawImageStretched(g.Get(), m_bkImage.image, rc);
    return TRUE;
}

LRESULT CHostWnd::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    return msg == WM_GETFONT ? reinterpret_cast<LRESULT>(m_hFont) : CWnd::OnMessage(msg, w, l);
}

}  // namespace skintest

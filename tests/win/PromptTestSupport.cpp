#include "tests/win/PromptTestSupport.h"

#include "tests/support/TestSupport.h"

#include <algorithm>
#include <atomic>
#include <vector>
#include <thread>

namespace prompttest {

namespace {
const wchar_t kBackdropClass[] = L"VelmoraPromptTestBackdrop";

void MouseTo(POINT p)
{
    ::SetCursorPos(p.x, p.y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;   // a zero move: the window under it hears of the new place
    ::SendInput(1, &in, sizeof(in));
}

void MouseButton(bool down)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &in, sizeof(in));
}
}  // namespace

CBackdrop::~CBackdrop()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

bool CBackdrop::Create(int x, int y, int w, int h)
{
    static bool registered = false;
    static HBRUSH brush = ::CreateSolidBrush(kBackdrop);
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = brush;
        wc.lpszClassName = kBackdropClass;
        registered = ::RegisterClassW(&wc) != 0;
    }
    m_hWnd = ::CreateWindowExW(0, kBackdropClass, L"backdrop", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    if (!m_hWnd)
        return false;
    ::UpdateWindow(m_hWnd);
    skintest::Pump(30);
    return true;
}

HWND FocusOnThreadOf(HWND w)
{
    GUITHREADINFO gti{};
    gti.cbSize = sizeof(gti);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(w, nullptr), &gti) ? gti.hwndFocus : nullptr;
}

bool Drag(POINT from, POINT to, HWND dialog)
{
    // In front, so the Tab goes to it; a press on its strip or corner does
    // not move the focus, so only the Tab can.
    vt::WaitFor([&] {
        ::SetForegroundWindow(dialog);
        return ::GetForegroundWindow() == dialog;
    }, 2000, 100);
    HWND before = FocusOnThreadOf(dialog);
    // Paced like a hand, so the display sees every step.
    MouseTo(from);
    ::Sleep(60);
    MouseButton(true);
    ::Sleep(60);
    const int steps = 6;
    for (int i = 1; i <= steps; ++i) {
        MouseTo({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        ::Sleep(40);
    }
    MouseButton(false);
    PressTab();
    return vt::WaitFor([&] { return FocusOnThreadOf(dialog) != before; }, 3000);
}

void PressTab(int count)
{
    std::vector<INPUT> keys;
    for (int i = 0; i < count; ++i)
        for (DWORD up : {0ul, static_cast<unsigned long>(KEYEVENTF_KEYUP)}) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = VK_TAB;
            in.ki.dwFlags = up;
            keys.push_back(in);
        }
    ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

skintest::Pixels Screen()
{
    return skintest::Capture(::GetDesktopWindow());
}

skintest::Pixels SettledScreen(HWND area, HWND content)
{
    auto painted = [](HWND h) {
        if (::GetUpdateRect(h, nullptr, FALSE))
            return false;
        for (HWND c = ::GetWindow(h, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
            if (::GetUpdateRect(c, nullptr, FALSE))
                return false;
        return true;
    };
    skintest::Pixels last, now;
    vt::WaitFor([&] {
        now = Screen();
        RECT r = vt::ScreenRect(area);
        r.left = std::max(0L, r.left);
        r.top = std::max(0L, r.top);
        r.right = std::min(static_cast<LONG>(now.w), r.right);
        r.bottom = std::min(static_cast<LONG>(now.h), r.bottom);
        const skintest::Pixels part = now.Crop(r);
        const bool settled = painted(content) && part.CountNot(Rgb(kBackdrop)) > 0 && last.w == now.w &&
                             last.Crop(r) == part;
        last = std::move(now);
        return settled;
    }, 5000, 100);
    return last;
}

uint32_t Rgb(COLORREF c)
{
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

int Brightness(uint32_t px)
{
    return static_cast<int>(((px >> 16) & 0xFF) + ((px >> 8) & 0xFF) + (px & 0xFF)) / 3;
}

void SaveShot(const std::wstring& dir, const std::wstring& name, const RECT& rc, int margin)
{
    skintest::Pixels screen = Screen();
    RECT r{rc.left - margin, rc.top - margin, rc.right + margin, rc.bottom + margin};
    r.left = r.left < 0 ? 0 : r.left;
    r.top = r.top < 0 ? 0 : r.top;
    r.right = r.right > screen.w ? screen.w : r.right;
    r.bottom = r.bottom > screen.h ? screen.h : r.bottom;
    if (r.right > r.left && r.bottom > r.top)
        screen.Crop(r).SaveBmp(dir + L"\\" + name + L".bmp");
}

bool DisplayBlendsTranslucentWindows(HWND backdrop)
{
    RECT b{};
    ::GetWindowRect(backdrop, &b);
    const int n = 40, x = b.left + 20, y = b.top + 20;
    HWND probe = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP, x, y,
                                   n, n, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!probe)
        return false;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = n;
    bi.bmiHeader.biHeight = -n;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bool blends = false;
    {
        void* bits = nullptr;
        CWindowDCRef screen(nullptr);
        CMemoryDC mem(::CreateCompatibleDC(screen.Get()));
        CBitmapObj dib(::CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (dib && bits) {
            auto* px = static_cast<uint32_t*>(bits);
            for (int i = 0; i < n * n; ++i)
                px[i] = 0x80000000;   // black at half coverage
            CSelectObject select(mem.Get(), dib.Get());
            POINT dst{x, y}, src{0, 0};
            SIZE size{n, n};
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            ::UpdateLayeredWindow(probe, screen.Get(), &dst, &size, mem.Get(), &src, 0, &blend, ULW_ALPHA);
            ::ShowWindow(probe, SW_SHOWNOACTIVATE);
            // Once shown, the square's middle is no longer the backdrop; then
            // wait for it to hold still (the compositing manager's turn).
            const uint32_t backdrop = Rgb(kBackdrop);
            uint32_t last = backdrop, now = backdrop;
            vt::WaitFor([&] {
                skintest::Pump(0);
                now = Screen().At(x + n / 2, y + n / 2);
                const bool settled = now != backdrop && now == last;
                last = now;
                return settled;
            }, 3000, 100);
            const int seen = Brightness(now);
            // Composed: half the backdrop's brightness; shown unblended: black; not shown: the backdrop.
            const int half = Brightness(Rgb(kBackdrop)) / 2;
            blends = seen > half - 30 && seen < half + 30;
        }
        ::DestroyWindow(probe);
    }   // the bitmap, the memory DC and the screen's DC go before the last pump
    skintest::Pump(50);
    return blends;
}

INT_PTR RunDriven(const std::function<INT_PTR()>& modal, const std::function<void()>& drive,
                  const std::function<void()>& rescue, bool* rescued)
{
    CHandle ended(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> rescueUsed{false};
    std::thread driver([&] {
        drive();
        if (::WaitForSingleObject(ended.Get(), 5000) != WAIT_OBJECT_0) {
            rescueUsed = true;
            rescue();
        }
    });
    INT_PTR r = modal();
    ::SetEvent(ended.Get());
    driver.join();
    if (rescued)
        *rescued = rescueUsed;
    return r;
}

}  // namespace prompttest

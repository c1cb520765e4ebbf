// impostor
//
// A program that is not Velmora but looks like its run to anyone who goes by
// names: the tests copy it as Velmora.exe into a folder of their own, and it
// shows a minimised top-level window titled "Velmora" until it is closed.
#include <windows.h>

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_DESTROY)
            ::PostQuitMessage(0);
        return ::DefWindowProcW(h, m, w, l);
    };
    wc.hInstance = inst;
    wc.lpszClassName = L"VelmoraImpostor";
    if (!::RegisterClassW(&wc))
        return 1;
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"Velmora", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr,
                                    nullptr, inst, nullptr);
    if (!window)
        return 1;
    ::ShowWindow(window, SW_SHOWMINNOACTIVE);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}

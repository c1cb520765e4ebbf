// desktopkeeper
//
// Wine closes its desktop (and its desktop process exits) about a second after
// the last program using it has ended; the next program then starts a new one.
// A program that starts while the old desktop is going away can fail to create
// any window. Test programs start one after another, so that race comes up now
// and then. This program uses the desktop for the whole session, through a
// message-only window that is never seen, and waits until the session ends it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = inst;
    wc.lpszClassName = L"VelmoraDesktopKeeper";
    if (!::RegisterClassW(&wc))
        return 1;
    // Any window ties the program to the desktop; a message-only one is never shown.
    if (!::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, HWND_MESSAGE, nullptr, inst,
                           nullptr))
        return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}

// The second reference of the start-up figure: the work the program's window
// is designed to do, without the program. A borderless 800 x 500 window with
// the bare dialog's background, and what the design puts before the first
// paint: the system's winhttp loaded before the window shows (as the feedback
// library is bound before it), a read-only rich edit of the agreement box's
// size and place holding the whole agreement text, a check box, and one line
// of Chinese text. What the program takes beyond this is what it adds to its
// design.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>

namespace {

const int kAgreementId = 1001, kCheckId = 1002, kLineId = 1003;
Gdiplus::Image* g_pImage = nullptr;

Gdiplus::Image* LoadPng(int id)
{
    HMODULE mod = ::GetModuleHandleW(nullptr);
    HRSRC res = ::FindResourceW(mod, MAKEINTRESOURCEW(id), L"PNG");
    if (!res)
        return nullptr;
    DWORD size = ::SizeofResource(mod, res);
    HGLOBAL data = ::LoadResource(mod, res);
    HGLOBAL block = data ? ::GlobalAlloc(GMEM_FIXED, size) : nullptr;
    if (!block)
        return nullptr;
    ::CopyMemory(block, ::LockResource(data), size);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, FALSE, &stream)))
        return nullptr;
    Gdiplus::Image* image = new Gdiplus::Image(stream, FALSE);
    stream->Release();
    return image;
}

// The agreement, a UTF-8 text resource, as one wide string.
std::wstring AgreementText()
{
    HMODULE mod = ::GetModuleHandleW(nullptr);
    HRSRC res = ::FindResourceW(mod, MAKEINTRESOURCEW(2), L"TEXT");
    HGLOBAL data = res ? ::LoadResource(mod, res) : nullptr;
    const char* bytes = data ? static_cast<const char*>(::LockResource(data)) : nullptr;
    if (!bytes)
        return {};
    const int size = static_cast<int>(::SizeofResource(mod, res));
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, bytes, size, nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes, size, &text[0], n);
    return text;
}

INT_PTR CALLBACK DialogProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_INITDIALOG:
        ::SetWindowTextW(h, L"Designed");
        ::SetWindowPos(h, nullptr, 0, 0, 800, 500, SWP_NOMOVE | SWP_NOZORDER);
        // The program's places at 96 dpi.
        ::SetWindowPos(::GetDlgItem(h, kAgreementId), nullptr, 50, 60, 700, 210, SWP_NOZORDER);
        ::SetWindowPos(::GetDlgItem(h, kCheckId), nullptr, 50, 280, 200, 20, SWP_NOZORDER);
        ::SetWindowPos(::GetDlgItem(h, kLineId), nullptr, 395, 20, 200, 18, SWP_NOZORDER);
        ::SetDlgItemTextW(h, kAgreementId, AgreementText().c_str());
        g_pImage = LoadPng(1);
        return FALSE;   // no focus set: the agreement shows from its start, nothing selected
    case WM_ERASEBKGND: {
        RECT rc;
        ::GetClientRect(h, &rc);
        if (g_pImage) {
            Gdiplus::Graphics g(reinterpret_cast<HDC>(w));
            g.DrawImage(g_pImage, 0, 0, rc.right, rc.bottom);
        }
        ::SetWindowLongPtrW(h, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // The text on the background, as the program's skinned controls show it.
        ::SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
        ::SetTextColor(reinterpret_cast<HDC>(w), RGB(255, 255, 255));
        return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
    case WM_CLOSE:
        ::EndDialog(h, 0);
        return TRUE;
    }
    (void)l;
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    // Before the window: the library the feedback binding brings in, and the
    // rich edit's, which the template's control needs.
    ::LoadLibraryExW(L"winhttp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::LoadLibraryExW(L"riched20.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, DialogProc, 0);
    delete g_pImage;
    Gdiplus::GdiplusShutdown(token);
    return 0;
}

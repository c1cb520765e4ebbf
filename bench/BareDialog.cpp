// The reference of the start-up figure: the least a program built by the same
// toolchain needs to show an 800 x 500 PNG in a dialog (GDI+ started, the
// image decoded from a resource, drawn in one stretch).
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace {

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

INT_PTR CALLBACK DialogProc(HWND h, UINT msg, WPARAM w, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        ::SetWindowTextW(h, L"Bare");
        ::SetWindowPos(h, nullptr, 0, 0, 800, 500, SWP_NOMOVE | SWP_NOZORDER);
        g_pImage = LoadPng(1);
        return TRUE;
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
    case WM_CLOSE:
        ::EndDialog(h, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, DialogProc, 0);
    delete g_pImage;
    Gdiplus::GdiplusShutdown(token);
    return 0;
}

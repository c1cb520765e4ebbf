// GDI+ reached through the system folder's gdiplus.dll, found at run time.
//
// The program runs elevated from folders anyone can write to. A library it
// imports by name is looked for beside it before the system folder, and
// that happens before its first statement can say otherwise, so GDI+ is not
// imported: each flat-API function the program uses is looked up, on first
// use, in the gdiplus.dll of the system folder. gp::Gdip... take the same
// arguments as the flat API; without the library they answer
// GdiplusNotInitialized and draw nothing.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace gp {

namespace detail {
// The export of the system folder's gdiplus.dll, or null.
FARPROC Resolve(const char* name);
}  // namespace detail

#define VELMORA_GDIPLUS_CALL(scope, name)                                                   \
    template <class... Args>                                                                \
    inline Gdiplus::Status name(Args... args)                                               \
    {                                                                                       \
        using Fn = decltype(&scope::name);                                                  \
        static const Fn fn = reinterpret_cast<Fn>(                                          \
            reinterpret_cast<void*>(detail::Resolve(#name)));                               \
        return fn ? static_cast<Gdiplus::Status>(fn(args...)) : Gdiplus::GdiplusNotInitialized; \
    }

VELMORA_GDIPLUS_CALL(Gdiplus, GdiplusStartup)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipBitmapGetPixel)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipCloneBitmapAreaI)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipCreateBitmapFromHBITMAP)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipCreateBitmapFromScan0)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipCreateFromHDC)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipDeleteGraphics)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipDisposeImage)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipDrawImageRectI)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipDrawImageRectRectI)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipGetImageGraphicsContext)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipGetImageHeight)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipGetImagePixelFormat)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipGetImageWidth)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipLoadImageFromStream)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipSaveImageToFile)
VELMORA_GDIPLUS_CALL(Gdiplus::DllExports, GdipSetSmoothingMode)

#undef VELMORA_GDIPLUS_CALL

// GdiplusShutdown returns nothing.
void GdiplusShutdown(ULONG_PTR token);

}  // namespace gp

#include "framework/GdiPlus.h"

namespace gp {

FARPROC detail::Resolve(const char* name)
{
    // Loaded once, from the system folder only, and kept for the process.
    static const HMODULE library = ::LoadLibraryExW(L"gdiplus.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return library ? ::GetProcAddress(library, name) : nullptr;
}

void GdiplusShutdown(ULONG_PTR token)
{
    using Fn = decltype(&Gdiplus::GdiplusShutdown);
    static const Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(detail::Resolve("GdiplusShutdown")));
    if (fn)
        fn(token);
}

}  // namespace gp

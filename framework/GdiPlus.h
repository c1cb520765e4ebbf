// GDI+ from the system folder's gdiplus.dll, loaded at the first call like
// every library the program needs only once it runs (see
// cmake/DelayLoad.cmake; the functions used are listed in
// framework/CMakeLists.txt). The program runs elevated from folders anyone
// can write to: a library it imports is looked for before its first
// statement, beside it first, so GDI+ is not imported; by the first call,
// wWinMain has confined the search to the system folder. gp:: names the flat
// API the program calls.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace gp {
using Gdiplus::GdiplusShutdown;
using Gdiplus::GdiplusStartup;
using namespace Gdiplus::DllExports;
}  // namespace gp

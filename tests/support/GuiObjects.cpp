#include "tests/support/GuiObjects.h"

#include <winternl.h>

#include <algorithm>
#include <vector>

#include "framework/Gdi.h"

namespace vt {

namespace {

// One entry of the GDI handle table the process environment block points to
// (the same 24-byte layout on Windows and under wine).
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle table entry");
const size_t kPebGdiHandleTable = 0xF8;   // x64
const size_t kGdiHandleEntries = 0x10000;

long CountGdiHandleTable(HANDLE process)
{
    PROCESS_BASIC_INFORMATION pbi{};
    ULONG len = 0;
    if (::NtQueryInformationProcess(process, ProcessBasicInformation, &pbi, sizeof pbi, &len) != 0 ||
        !pbi.PebBaseAddress)
        return -1;
    UINT64 table = 0;
    SIZE_T got = 0;
    if (!::ReadProcessMemory(process, reinterpret_cast<BYTE*>(pbi.PebBaseAddress) + kPebGdiHandleTable, &table,
                             sizeof table, &got) ||
        !table)
        return -1;
    std::vector<GdiHandleEntry> entries(kGdiHandleEntries);
    // Read page-sized pieces: the table may be committed only in part.
    long count = 0;
    const size_t perPiece = 4096 / sizeof(GdiHandleEntry) * 16;
    bool any = false;
    for (size_t i = 0; i < kGdiHandleEntries; i += perPiece) {
        const size_t n = std::min(perPiece, kGdiHandleEntries - i);
        if (!::ReadProcessMemory(process, reinterpret_cast<BYTE*>(table) + i * sizeof(GdiHandleEntry), &entries[i],
                                 n * sizeof(GdiHandleEntry), &got))
            break;
        any = true;
        for (size_t k = i; k < i + n; ++k)
            if (entries[k].type != 0)
                ++count;
    }
    return any ? count : -1;
}

struct WindowCount {
    DWORD pid;
    long n;
};

BOOL CALLBACK CountChild(HWND, LPARAM p)
{
    ++reinterpret_cast<WindowCount*>(p)->n;
    return TRUE;
}

BOOL CALLBACK CountTop(HWND h, LPARAM p)
{
    auto* c = reinterpret_cast<WindowCount*>(p);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    if (pid == c->pid) {
        ++c->n;
        ::EnumChildWindows(h, CountChild, p);   // all descendants
    }
    return TRUE;
}

long CountWindows(DWORD pid)
{
    WindowCount c{pid, 0};
    ::EnumWindows(CountTop, reinterpret_cast<LPARAM>(&c));
    return c.n;
}

}  // namespace

GuiObjects CountGuiObjects(HANDLE process, DWORD pid)
{
    GuiObjects o;
    ::SetLastError(0);
    DWORD gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    DWORD gdiError = ::GetLastError();
    DWORD user = ::GetGuiResources(process, GR_USEROBJECTS);
    if (gdi != 0 && gdiError == 0) {
        o.gdi = static_cast<long>(gdi);
        o.user = static_cast<long>(user);
        o.how = L"GetGuiResources";
    } else {
        o.gdi = CountGdiHandleTable(process);
        o.user = CountWindows(pid);
        o.how = L"GDI handle table and windows (GetGuiResources not available)";
    }
    o.counted = o.gdi >= 0 && o.user >= 0;
    return o;
}

bool GuiCountingWorks(std::wstring* detail)
{
    HANDLE self = ::GetCurrentProcess();
    const DWORD pid = ::GetCurrentProcessId();
    // The first window of a class loads what draws it (the common controls
    // are loaded at their first use), once per process: not counted.
    ::DestroyWindow(::CreateWindowExW(0, L"STATIC", L"warm up", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                      nullptr));
    GuiObjects before = CountGuiObjects(self, pid);
    CBrushObj brush(::CreateSolidBrush(RGB(1, 2, 3)));
    HWND wnd = ::CreateWindowExW(0, L"STATIC", L"count me", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    GuiObjects during = CountGuiObjects(self, pid);
    ::DestroyWindow(wnd);
    brush.Reset();
    GuiObjects after = CountGuiObjects(self, pid);
    if (detail)
        *detail = during.how + L": gdi " + std::to_wstring(before.gdi) + L" -> " + std::to_wstring(during.gdi) +
                  L" -> " + std::to_wstring(after.gdi) + L", user " + std::to_wstring(before.user) + L" -> " +
                  std::to_wstring(during.user) + L" -> " + std::to_wstring(after.user);
    return before.counted && during.gdi == before.gdi + 1 && after.gdi == before.gdi &&
           during.user >= before.user + 1 && after.user == before.user;
}

}  // namespace vt

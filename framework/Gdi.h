// RAII for the GDI, GDI+ and kernel objects the tool uses, so paint code has
// no loose Delete/Release pairs.
#pragma once
#include <windows.h>

#include <utility>

#include "framework/GdiPlus.h"

// Any HGDIOBJ-derived handle, deleted with DeleteObject.
template <class H>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(H h) : m_h(h) {}
    ~CGdiObject() { Reset(); }
    CGdiObject(CGdiObject&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    CGdiObject& operator=(CGdiObject&& o) noexcept { if (this != &o) { Reset(); m_h = std::exchange(o.m_h, nullptr); } return *this; }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    void Reset(H h = nullptr) { if (m_h) ::DeleteObject(m_h); m_h = h; }
    H Get() const { return m_h; }
    H Detach() { return std::exchange(m_h, nullptr); }
    explicit operator bool() const { return m_h != nullptr; }
private:
    H m_h = nullptr;
};
using CBitmapObj = CGdiObject<HBITMAP>;
using CBrushObj = CGdiObject<HBRUSH>;
using CFontObj = CGdiObject<HFONT>;

// A DC taken with GetDC / GetWindowDC and given back with ReleaseDC.
class CWindowDCRef {
public:
    explicit CWindowDCRef(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~CWindowDCRef() { if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC); }
    CWindowDCRef(const CWindowDCRef&) = delete;
    CWindowDCRef& operator=(const CWindowDCRef&) = delete;
    HDC Get() const { return m_hDC; }
private:
    HWND m_hWnd;
    HDC m_hDC;
};

class CPaintDCRef {
public:
    explicit CPaintDCRef(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }
    ~CPaintDCRef() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDCRef(const CPaintDCRef&) = delete;
    CPaintDCRef& operator=(const CPaintDCRef&) = delete;
    HDC Get() const { return m_hDC; }
private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hDC = nullptr;
};

// A memory DC compatible with another, deleted with DeleteDC.
class CMemoryDC {
public:
    CMemoryDC() = default;
    explicit CMemoryDC(HDC hCompatible) : m_hDC(::CreateCompatibleDC(hCompatible)) {}
    ~CMemoryDC() { Reset(); }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    void Reset(HDC h = nullptr) { if (m_hDC) ::DeleteDC(m_hDC); m_hDC = h; }
    HDC Get() const { return m_hDC; }
    explicit operator bool() const { return m_hDC != nullptr; }
private:
    HDC m_hDC = nullptr;
};

// Selects an object into a DC and selects the previous one back on scope exit.
class CSelectObject {
public:
    CSelectObject(HDC hDC, HGDIOBJ h) : m_hDC(hDC), m_hOld(h ? ::SelectObject(hDC, h) : nullptr) {}
    ~CSelectObject() { if (m_hOld) ::SelectObject(m_hDC, m_hOld); }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// A GDI+ graphics object over a DC.
class CGraphics {
public:
    explicit CGraphics(HDC hDC) { gp::GdipCreateFromHDC(hDC, &m_p); }
    ~CGraphics() { if (m_p) gp::GdipDeleteGraphics(m_p); }
    CGraphics(const CGraphics&) = delete;
    CGraphics& operator=(const CGraphics&) = delete;
    Gdiplus::GpGraphics* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
private:
    Gdiplus::GpGraphics* m_p = nullptr;
};

// A kernel handle closed with CloseHandle.
class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle() { Reset(); }
    CHandle(CHandle&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    CHandle& operator=(CHandle&& o) noexcept { if (this != &o) { Reset(); m_h = std::exchange(o.m_h, nullptr); } return *this; }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    void Reset(HANDLE h = nullptr) { if (m_h && m_h != INVALID_HANDLE_VALUE) ::CloseHandle(m_h); m_h = h; }
    HANDLE Get() const { return m_h; }
    HANDLE* Out() { Reset(); return &m_h; }
    explicit operator bool() const { return m_h && m_h != INVALID_HANDLE_VALUE; }
private:
    HANDLE m_h = nullptr;
};

// GDI+ for the life of the application object.
class CGdiplusSession {
public:
    CGdiplusSession() = default;
    ~CGdiplusSession() { Shutdown(); }
    bool Startup()
    {
        Gdiplus::GdiplusStartupInput input;
        return gp::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    void Shutdown()
    {
        if (m_token) gp::GdiplusShutdown(m_token);
        m_token = 0;
    }
private:
    ULONG_PTR m_token = 0;
};

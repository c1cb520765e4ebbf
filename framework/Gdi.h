// Ownership of GDI and GDI+ objects, so paint code has no loose Delete or
// Release pairs: GDI objects and memory DCs through CUniqueHandle, window and
// paint DCs given back in scope, selections undone in scope, GDI+ graphics
// and images disposed with their owner; and a plainly borrowing image type
// for what a control draws but does not own.
#pragma once
#include <windows.h>

#include <memory>
#include <utility>

#include "framework/GdiPlus.h"
#include "base/Handles.h"

struct SDeleteObject { void operator()(HGDIOBJ h) const { ::DeleteObject(h); } };
struct SDeleteDC { void operator()(HDC h) const { ::DeleteDC(h); } };

// GDI objects, deleted with DeleteObject.
using CBitmapObj = CUniqueHandle<SHandleTraits<HBITMAP, SDeleteObject>>;
using CBrushObj = CUniqueHandle<SHandleTraits<HBRUSH, SDeleteObject>>;
using CFontObj = CUniqueHandle<SHandleTraits<HFONT, SDeleteObject>>;
using CRegionObj = CUniqueHandle<SHandleTraits<HRGN, SDeleteObject>>;
// A memory DC (CreateCompatibleDC), deleted with DeleteDC.
using CMemoryDC = CUniqueHandle<SHandleTraits<HDC, SDeleteDC>>;

// A DC taken with GetDC and given back with ReleaseDC.
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

// A GDI+ graphics object over a DC, or over an image (to draw into it).
class CGraphics {
public:
    explicit CGraphics(HDC hDC) { gp::GdipCreateFromHDC(hDC, &m_p); }
    explicit CGraphics(Gdiplus::GpImage* image)
    {
        if (image)
            gp::GdipGetImageGraphicsContext(image, &m_p);
    }
    ~CGraphics() { if (m_p) gp::GdipDeleteGraphics(m_p); }
    CGraphics(const CGraphics&) = delete;
    CGraphics& operator=(const CGraphics&) = delete;
    Gdiplus::GpGraphics* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
private:
    Gdiplus::GpGraphics* m_p = nullptr;
};

// A GDI+ image its owner disposes of.
struct SImageDisposer {
    void operator()(Gdiplus::GpImage* image) const
    {
        if (image)
            gp::GdipDisposeImage(image);
    }
};
using CImagePtr = std::unique_ptr<Gdiplus::GpImage, SImageDisposer>;

// An image someone else owns and keeps for as long as this is used: a
// parent's background lent to its controls, an image of the process's cache.
class CImageRef {
public:
    CImageRef() = default;
    CImageRef(Gdiplus::GpImage* image) : m_p(image) {}
    CImageRef(const CImagePtr& image) : m_p(image.get()) {}
    Gdiplus::GpImage* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
private:
    Gdiplus::GpImage* m_p = nullptr;
};

// GDI+ for the life of the application object.
class CGdiplusSession {
public:
    CGdiplusSession() = default;
    ~CGdiplusSession() { Shutdown(); }
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;
    bool Startup()
    {
        Gdiplus::GdiplusStartupInput input;
        return gp::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    void Shutdown()
    {
        if (m_token)
            gp::GdiplusShutdown(m_token);
        m_token = 0;
    }
private:
    ULONG_PTR m_token = 0;
};

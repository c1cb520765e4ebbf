// Thin window layer: a C++ object bound to an HWND, with a virtual WindowProc and
// default processing through the window's original procedure.
#pragma once
#include <windows.h>
#include <string>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Binds this object to an existing window by replacing its procedure
    // (dialog data exchange: a template control becomes a skinned control).
    bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(UINT nId, HWND hParent);
    HWND UnsubclassWindow();
    static CWnd* FromHandle(HWND hWnd);

    // Messages reach the object here; whatever it does not handle goes to
    // Default() (the original procedure with the current message).
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Default();
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Owner-drawn controls are told to draw through their own object.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}

    // Called once when the window has been destroyed (after WM_NCDESTROY).
    virtual void PostNcDestroy() {}

    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void MoveWindow(const RECT& rc, BOOL repaint = TRUE);
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageW(m_hWnd, msg, w, l); }

protected:
    WNDPROC m_pfnSuper = nullptr;

private:
    static LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
    struct CurrentMessage { UINT msg; WPARAM w; LPARAM l; };
    CurrentMessage m_cur{};
};

// Plain push button and static; the skinned controls derive from these.
class CButton : public CWnd {};
class CStatic : public CWnd {};

// Thin window layer: a C++ object bound to an HWND. Messages arrive at typed
// handlers; each handler's base does the default processing (the window's
// original procedure with the current message), so a class overrides only
// what it handles and calls the base where the default must run too.
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
    // False when there is no such window, it is bound already, or this
    // object is. A template control that is missing leaves its object
    // unbound, which every later call on it takes as nothing to do.
    [[nodiscard]] bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(UINT nId, HWND hParent);
    HWND UnsubclassWindow();
    static CWnd* FromHandle(HWND hWnd);

    // The original procedure with the message being handled; its result is
    // also what a handler without a result of its own answers.
    LRESULT Default();

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
    virtual void OnPaint() { Default(); }
    virtual BOOL OnEraseBkgnd(HDC) { return static_cast<BOOL>(Default()); }
    virtual void OnSize(UINT, int, int) { Default(); }
    virtual void OnMove(int, int) { Default(); }
    virtual void OnTimer(UINT_PTR) { Default(); }
    // A command from a control or a menu; false leaves it to the default processing.
    virtual bool OnCommand(UINT, UINT, HWND) { return false; }
    virtual LRESULT OnNcHitTest(POINT) { return Default(); }
    virtual void OnClose() { Default(); }
    virtual void OnDestroy() { Default(); }
    virtual void OnSysCommand(UINT, LPARAM) { Default(); }
    virtual void OnMouseMove(POINT) { Default(); }
    virtual void OnLButtonDown(POINT) { Default(); }
    virtual void OnLButtonUp(POINT) { Default(); }
    virtual void OnMouseHover(POINT) { Default(); }
    virtual void OnMouseLeave() { Default(); }
    // Every other message, the program's own included.
    virtual LRESULT OnMessage(UINT, WPARAM, LPARAM) { return Default(); }

private:
    static LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT msg, WPARAM w, LPARAM l);

    struct CurrentMessage {
        UINT msg;
        WPARAM w;
        LPARAM l;
        LRESULT result;   // of Default(), when it ran
    };
    CurrentMessage m_cur{};
    WNDPROC m_pfnSuper = nullptr;
};

// Plain push button and static; the skinned controls derive from these.
class CButton : public CWnd {};
class CStatic : public CWnd {};

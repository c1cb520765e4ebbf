#include "framework/Wnd.h"

#include "framework/ModalOwner.h"

namespace {
const wchar_t kObjectProp[] = L"Velmora.CWnd";
}

CWnd::~CWnd()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        UnsubclassWindow();
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    return hWnd ? static_cast<CWnd*>(::GetPropW(hWnd, kObjectProp)) : nullptr;
}

bool CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandle(hWnd))
        return false;
    m_hWnd = hWnd;
    ::SetPropW(hWnd, kObjectProp, this);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StdWndProc)));
    return true;
}

bool CWnd::SubclassDlgItem(UINT nId, HWND hParent)
{
    return SubclassWindow(::GetDlgItem(hParent, static_cast<int>(nId)));
}

HWND CWnd::UnsubclassWindow()
{
    HWND h = m_hWnd;
    if (!h)
        return nullptr;
    if (m_pfnSuper)
        ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    ::RemovePropW(h, kObjectProp);
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
    return h;
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT msg, WPARAM w, LPARAM l)
{
    CWnd* self = FromHandle(hWnd);
    if (!self)
        return ::DefWindowProcW(hWnd, msg, w, l);
    if (msg == ModalOwnerStateMessage()) {
        ApplyModalOwnerState(hWnd);
        return 0;
    }

    CurrentMessage saved = self->m_cur;
    self->m_cur = {msg, w, l};
    LRESULT r;
    if (msg == WM_DRAWITEM && l) {
        auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(l);
        if (CWnd* item = (dis->CtlType != ODT_MENU) ? FromHandle(dis->hwndItem) : nullptr) {
            item->DrawItem(dis);
            r = TRUE;
        } else {
            r = self->WindowProc(msg, w, l);
        }
    } else {
        r = self->WindowProc(msg, w, l);
    }
    self->m_cur = saved;

    if (msg == WM_NCDESTROY) {
        WNDPROC super = self->m_pfnSuper;
        self->UnsubclassWindow();
        self->PostNcDestroy();
        (void)super;
    }
    return r;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    return DefWindowProc(msg, w, l);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_cur.msg, m_cur.w, m_cur.l);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM w, LPARAM l)
{
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, msg, w, l);
    return ::DefWindowProcW(m_hWnd, msg, w, l);
}

std::wstring CWnd::GetWindowText() const
{
    int n = ::GetWindowTextLengthW(m_hWnd);
    std::wstring s(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
    n = ::GetWindowTextW(m_hWnd, &s[0], static_cast<int>(s.size()));
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

void CWnd::MoveWindow(const RECT& rc, BOOL repaint)
{
    ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, repaint);
}

RECT CWnd::GetClientRect() const
{
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return rc;
}

RECT CWnd::GetWindowRect() const
{
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    return rc;
}

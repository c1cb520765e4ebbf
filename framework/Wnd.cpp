#include "framework/Wnd.h"

#include "framework/FrameworkMessages.h"
#include "framework/ModalOwner.h"

namespace {
const wchar_t kObjectProp[] = L"Velmora.CWnd";

// The signed coordinates packed into a mouse message's lParam.
POINT PointOf(LPARAM l)
{
    return {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
}
}  // namespace

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

    CurrentMessage saved = self->m_cur;
    self->m_cur = {msg, w, l, 0};
    const LRESULT r = self->Dispatch(msg, w, l);
    self->m_cur = saved;

    if (msg == WM_NCDESTROY) {
        self->UnsubclassWindow();
        self->PostNcDestroy();
    }
    return r;
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM w, LPARAM l)
{
    if (msg == ModalOwnerStateMessage()) {
        ApplyModalOwnerState(m_hWnd);
        return 0;
    }
    switch (msg) {
    case WM_DRAWITEM:
        if (auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(l)) {
            if (CWnd* item = dis->CtlType != ODT_MENU ? FromHandle(dis->hwndItem) : nullptr) {
                item->DrawItem(dis);
                return TRUE;
            }
        }
        return OnMessage(msg, w, l);
    case WM_PAINT: OnPaint(); break;
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<HDC>(w));
    case WM_SIZE: OnSize(static_cast<UINT>(w), LOWORD(l), HIWORD(l)); break;
    case WM_MOVE: OnMove(static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))); break;
    case WM_TIMER: OnTimer(w); break;
    case WM_COMMAND:
        if (OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l)))
            return 0;
        return Default();
    case WM_NCHITTEST: return OnNcHitTest(PointOf(l));
    case WM_CLOSE: OnClose(); break;
    case WM_DESTROY: OnDestroy(); break;
    case WM_SYSCOMMAND: OnSysCommand(static_cast<UINT>(w), l); break;
    case WM_MOUSEMOVE: OnMouseMove(PointOf(l)); break;
    case WM_LBUTTONDOWN: OnLButtonDown(PointOf(l)); break;
    case WM_LBUTTONUP: OnLButtonUp(PointOf(l)); break;
    case WM_MOUSEHOVER: OnMouseHover(PointOf(l)); break;
    case WM_MOUSELEAVE: OnMouseLeave(); break;
    default: return OnMessage(msg, w, l);
    }
    return m_cur.result;
}

LRESULT CWnd::Default()
{
    const LRESULT r = m_pfnSuper ? ::CallWindowProcW(m_pfnSuper, m_hWnd, m_cur.msg, m_cur.w, m_cur.l)
                                 : ::DefWindowProcW(m_hWnd, m_cur.msg, m_cur.w, m_cur.l);
    m_cur.result = r;
    return r;
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

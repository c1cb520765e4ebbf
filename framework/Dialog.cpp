#include "framework/Dialog.h"

#include "framework/FrameworkMessages.h"
#include "framework/ModalOwner.h"

HWND CDialog::s_hMainWnd = nullptr;

CDialog::CDialog(UINT nIdTemplate, HWND hParent, UINT options)
    : m_nIdTemplate(nIdTemplate), m_hParent(hParent), m_nOptions(options)
{
}

// A window still here outlives the handlers of the classes above this one,
// which are gone by now: it is unbound first, so its last messages reach
// none of them, and then destroyed with m_window.
CDialog::~CDialog()
{
    UnsubclassWindow();
}

void CDialog::PostNcDestroy()
{
    // Destroyed already, by this object or with the window that owned it:
    // nothing is left to let go of.
    (void)m_window.Release();
}

INT_PTR CALLBACK CDialog::DlgProc(HWND hWnd, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg != WM_INITDIALOG)
        return FALSE;
    auto* self = reinterpret_cast<CDialog*>(lParam);
    ::GetWindowRect(hWnd, &self->m_rcCreated);
    // Owned from here, so an EndDialog during initialisation already
    // destroys it. A window this object still held goes first, which also
    // unbinds the object: the binding of the new window cannot fail.
    self->m_window.Reset(hWnd);
    (void)self->SubclassWindow(hWnd);
    self->DoDataExchange();
    return self->OnInitDialog();
}

bool CDialog::Create(UINT nIdTemplate, HWND hParent)
{
    m_nIdTemplate = nIdTemplate;
    m_hParent = hParent;
    HWND h = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIdTemplate), hParent,
                                  &CDialog::DlgProc, reinterpret_cast<LPARAM>(this));
    return h != nullptr;
}

// Has the owner's enabled state set from the count of modal dialogs over it
// (ModalOwner.h). Never waits for the owner's thread (it may itself be
// waiting in a send to this one): another thread's window is asked by a
// notification, which is handled in order with every other message sent to
// it, inside any loop. Only a window bound to a CWnd handles that message;
// any other is set from here.
static void RequestOwnerState(HWND owner)
{
    if (!owner || !::IsWindow(owner))
        return;
    const bool ownThread = ::GetWindowThreadProcessId(owner, nullptr) == ::GetCurrentThreadId();
    if (ownThread || !CWnd::FromHandle(owner))
        ApplyModalOwnerState(owner);
    else
        ::SendNotifyMessageW(owner, ModalOwnerStateMessage(), 0, 0);
}

HWND CDialog::ChooseOwner() const
{
    HWND owner = m_hParent ? m_hParent : s_hMainWnd;
    if (owner == m_hWnd)
        return nullptr;
    // A child window cannot own a dialog: use its top-level window.
    while (owner && (::GetWindowLongW(owner, GWL_STYLE) & WS_CHILD))
        owner = ::GetParent(owner);
    return (owner && ::IsWindow(owner)) ? owner : nullptr;
}

void CDialog::CenterOver(HWND hOwner)
{
    RECT rc = GetWindowRect();
    RECT area{};
    if (hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner)) {
        ::GetWindowRect(hOwner, &area);
    } else {
        MONITORINFO mi{sizeof(mi)};
        ::GetMonitorInfoW(::MonitorFromWindow(hOwner ? hOwner : m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
        area = mi.rcWork;
    }
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Windows keeps owned windows above their owner; wine does not when the owner
// is raised after them, so whenever a dialog moves in the Z order the windows
// it owns (a prompt's content window) are put back on top of it.
static void KeepOwnedWindowsAbove(HWND hOwner)
{
    struct Ctx { HWND owner; DWORD thread; } ctx{hOwner, ::GetCurrentThreadId()};
    ::EnumThreadWindows(
        ctx.thread,
        [](HWND w, LPARAM l) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(l);
            if (::GetWindow(w, GW_OWNER) == c->owner && ::IsWindowVisible(w))
                ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
}

// Delivered to this callback, not to the window procedure, so a dialog that
// handles WM_TIMER itself cannot keep the timer alive (it would wake the
// program ten times a second for as long as the dialog lives).
static void CALLBACK RestackOnce(HWND h, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(h, id);
    KeepOwnedWindowsAbove(h);
}

// Where activation goes when a modal dialog leaves: to its owner if that takes
// input again, otherwise to the topmost other modal dialog still over it. Left
// to the system, activation would pass over the disabled owner to whatever
// window comes next, another program's as likely as not. Through the
// foreground call, as the window may belong to another thread.
static void HandActivationOn(HWND hOwner, HWND hLeaving)
{
    if (!hOwner)
        return;
    if (::IsWindowEnabled(hOwner)) {
        ::SetForegroundWindow(hOwner);
        return;
    }
    struct Ctx { HWND owner, leaving, found; } ctx{hOwner, hLeaving, nullptr};
    ::EnumWindows(
        [](HWND w, LPARAM l) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(l);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (w != c->leaving && pid == ::GetCurrentProcessId() && ::GetWindow(w, GW_OWNER) == c->owner &&
                ::IsWindowVisible(w) && ::IsWindowEnabled(w)) {
                c->found = w;
                return FALSE;   // Z order, top first
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    if (ctx.found)
        ::SetForegroundWindow(ctx.found);
}

static bool IsActiveOrForeground(HWND h)
{
    return ::GetActiveWindow() == h || ::GetForegroundWindow() == h;
}

INT_PTR CDialog::DoModal()
{
    HWND owner = ChooseOwner();
    // The owner takes no input from now until the dialog has gone, counted
    // with every other modal dialog over it (see ModalOwner.h).
    BeginModalOver(owner);
    RequestOwnerState(owner);

    m_bEndModal = false;
    m_bHandActivation = false;
    m_nResult = -1;
    m_bInModal = true;

    // Created modeless, then run by our own loop.
    HWND h = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIdTemplate), owner,
                                  &CDialog::DlgProc, reinterpret_cast<LPARAM>(this));
    if (h && !m_bEndModal) {
        // A dialog that was not placed during initialisation is centred over its
        // owner, or over the work area when it has none.
        RECT rc = GetWindowRect();
        if (rc.left == m_rcCreated.left && rc.top == m_rcCreated.top)
            CenterOver(owner);
        if (!::IsWindowVisible(h))
            ::ShowWindow(h, SW_SHOWNORMAL);
        KeepOwnedWindowsAbove(h);
        ::SetTimer(h, IDT_RESTACK, 100, &RestackOnce);   // again once the display has activated it
        RunModalLoop();
    }

    // The owner gets its input back (unless another modal dialog is still
    // over it) before the dialog disappears, so activation stays with us.
    EndModalOver(owner);
    RequestOwnerState(owner);
    if (m_hWnd && (m_bHandActivation || IsActiveOrForeground(m_hWnd)))
        HandActivationOn(owner, m_hWnd);
    // Destroyed while still bound, so the dialog's own handlers see it go.
    m_window.Reset();
    m_bInModal = false;
    return h ? m_nResult : -1;
}

// The end of the dialog is looked at after every message, posted or sent.
// Sent messages (a worker's report) are handled inside PeekMessage, which then
// returns, so an EndDialog from such a handler is seen at once, and so is one
// made while a nested loop ran (a result prompt shown from that handler): no
// wake-up message is needed, which the nested loop could have taken.
void CDialog::RunModalLoop()
{
    while (!m_bEndModal) {
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!m_bEndModal)
                ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void CDialog::EndDialog(INT_PTR nResult)
{
    if (m_bInModal) {
        m_nResult = nResult;
        m_bEndModal = true;
        // Gone from the screen at once, as the system's own dialogs are, even
        // while a handler further up the stack still runs (a worker's report
        // that closes the please-wait dialog and then asks a question).
        // Hiding the active dialog lets the system pick its successor before
        // the run has ended, so activation goes on first: to another modal
        // dialog still over the owner, or, once the owner takes input again,
        // to the owner at the end of the run.
        if (m_hWnd) {
            if (IsActiveOrForeground(m_hWnd)) {
                m_bHandActivation = true;
                HandActivationOn(::GetWindow(m_hWnd, GW_OWNER), m_hWnd);
            }
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    } else {
        m_window.Reset();
    }
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if ((m_nOptions & kSwallowEscEnter) && pMsg->message == WM_KEYDOWN &&
        (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN))
        return TRUE;
    // Give the dialogs between the target window and this one their say first
    // (a modeless content window inside a modal box swallows its own keys).
    for (HWND h = pMsg->hwnd; h && h != m_hWnd; h = ::GetParent(h)) {
        CWnd* w = CWnd::FromHandle(h);
        auto* dlg = dynamic_cast<CDialog*>(w);
        if (dlg && dlg != this)
            return dlg->PreTranslateMessage(pMsg);
    }
    if (!m_hWnd)
        return FALSE;
    HWND target = pMsg->hwnd;
    if (target != m_hWnd && !::IsChild(m_hWnd, target))
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

bool CDialog::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

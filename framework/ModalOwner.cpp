#include "framework/ModalOwner.h"

#include <map>

#include "framework/Locks.h"
#include "framework/Wnd.h"

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
std::map<HWND, int> g_modals;   // owners with at least one modal dialog over them

void ChangeCount(HWND owner, int delta)
{
    CSrwGuard guard(g_lock);
    int& n = g_modals[owner];
    n += delta;
    if (n <= 0)
        g_modals.erase(owner);
}

bool OnOwnThread(HWND owner)
{
    return ::GetWindowThreadProcessId(owner, nullptr) == ::GetCurrentThreadId();
}

// Never waits for the owner's thread (it may itself be waiting in a send to
// this one): another thread's window is asked by a notification, which is
// handled in order with every other message sent to it, inside any loop.
void RequestState(HWND owner)
{
    if (!owner || !::IsWindow(owner))
        return;
    if (OnOwnThread(owner) || !CWnd::FromHandle(owner))
        ApplyModalOwnerState(owner);
    else
        ::SendNotifyMessageW(owner, ModalOwnerStateMessage(), 0, 0);
}

}  // namespace

void BeginModalOver(HWND owner)
{
    if (!owner)
        return;
    ChangeCount(owner, +1);
    RequestState(owner);
}

void EndModalOver(HWND owner)
{
    if (!owner)
        return;
    ChangeCount(owner, -1);
    RequestState(owner);
}

int ModalsOver(HWND owner)
{
    CSrwGuard guard(g_lock, CSrwGuard::kShared);
    auto it = g_modals.find(owner);
    const int n = it == g_modals.end() ? 0 : it->second;
    return n;
}

UINT ModalOwnerStateMessage()
{
    static const UINT msg = ::RegisterWindowMessageW(L"Velmora.ModalOwnerState");
    return msg;
}

void ApplyModalOwnerState(HWND owner)
{
    if (!owner || !::IsWindow(owner))
        return;
    const BOOL enable = ModalsOver(owner) == 0 ? TRUE : FALSE;
    if ((::IsWindowEnabled(owner) != FALSE) != (enable != FALSE))
        ::EnableWindow(owner, enable);
}

#include "framework/ModalOwner.h"

#include <map>

#include "base/Locks.h"

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
std::map<HWND, int> g_modals;   // owners with at least one modal dialog over them

void ChangeCount(HWND owner, int delta)
{
    if (!owner)
        return;
    CSrwGuard guard(g_lock);
    int& n = g_modals[owner];
    n += delta;
    if (n <= 0)
        g_modals.erase(owner);
}

}  // namespace

void BeginModalOver(HWND owner)
{
    ChangeCount(owner, +1);
}

void EndModalOver(HWND owner)
{
    ChangeCount(owner, -1);
}

int ModalsOver(HWND owner)
{
    CSrwGuard guard(g_lock, CSrwGuard::kShared);
    auto it = g_modals.find(owner);
    const int n = it == g_modals.end() ? 0 : it->second;
    return n;
}

void ApplyModalOwnerState(HWND owner)
{
    if (!owner || !::IsWindow(owner))
        return;
    const BOOL enable = ModalsOver(owner) == 0 ? TRUE : FALSE;
    if ((::IsWindowEnabled(owner) != FALSE) != (enable != FALSE))
        ::EnableWindow(owner, enable);
}

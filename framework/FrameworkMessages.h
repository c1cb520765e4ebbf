// The window layer's private messages and timer ids, each defined here once.
#pragma once
#include <windows.h>

// Puts a modal dialog's owned windows back above it once the display has
// activated it (Dialog.cpp). High enough to stay clear of the timer ids the
// layers above number from small values.
constexpr UINT_PTR IDT_RESTACK = 0x7E01;

// Asks a window that owns modal dialogs to set its enabled state on its own
// thread (ModalOwner.h); every window bound to a CWnd handles it. Registered,
// so that it can be told apart from any message a control or another program
// defines.
inline UINT ModalOwnerStateMessage()
{
    static const UINT msg = ::RegisterWindowMessageW(L"Velmora.ModalOwnerState");
    return msg;
}

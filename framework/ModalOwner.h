// Which windows take input while modal dialogs show over them.
//
// A window that owns modal dialogs takes input exactly when none of them is
// showing, whatever their nesting and whichever thread runs their loops. Each
// modal run counts itself over its owner for as long as it shows; the owner's
// enabled state is then set on the owner's own thread from the count as it
// stands at that moment (the dialog asks for that with ModalOwnerStateMessage
// where the owner is another thread's), so two threads starting and ending
// dialogs in any order always leave it right. (Remembering at the start of a
// loop whether the owner was enabled, and restoring that at its end, goes
// wrong as soon as two loops overlap without nesting, one on each thread.)
#pragma once
#include <windows.h>

// A modal dialog starts or stops showing over owner (null: no owner).
void BeginModalOver(HWND owner);
void EndModalOver(HWND owner);

// How many modal dialogs show over owner now.
int ModalsOver(HWND owner);

// On the owner's thread: enabled exactly when no modal dialog shows over it.
void ApplyModalOwnerState(HWND owner);

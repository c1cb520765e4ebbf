// The one way the program starts a thread. The work, a callable, is handed
// over to the new thread, which owns it and destroys it when it has run; when
// the thread cannot be made, the work is destroyed here, unrun. Which threads
// there are, what each may touch and how it reports back is written once, in
// app/VelmoraDlg.h.
#pragma once
#include <windows.h>

#include <functional>

#include "base/Handles.h"

// The new thread (default security and stack size, no flags), or an empty
// handle when it cannot be made. A caller that does not wait for the thread
// lets the handle go at once; the thread runs on.
[[nodiscard]] CHandle StartThread(std::function<void()> work);

// The application layer's private window messages and timer. The workers
// report with the two result messages, sent synchronously to the main window
// with lParam 0; the close request before each result is the please-wait
// dialog's own message, which the main window passes on to it.
#pragma once
#include <windows.h>

#include "system/RepairWorker.h"
#include "ui/UiMessages.h"

constexpr UINT WM_HOST_CHECK_RESULT = WM_USER + 502;   // 0x5F6, wParam: the host-check result's code
constexpr UINT WM_REPAIR_RESULT = WM_USER + 503;       // 0x5F7, wParam: the repair result's code
// From the check-box thread: set the start button from the box's state.
constexpr UINT WM_START_FOLLOWS_BOX = WM_USER + 510;

// The one-shot timer that starts the automatic checks once the window is up.
constexpr UINT_PTR IDT_START_CHECKS = 33;

// What CRepairWorker sends, in its reporting order.
const SWorkerMessages kWorkerMessages{WM_CLOSE_EXECUTE_PROMPT, WM_HOST_CHECK_RESULT, WM_REPAIR_RESULT};

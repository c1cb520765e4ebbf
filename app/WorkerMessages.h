// The messages the workers report with, sent synchronously to the main
// window (lParam 0). The close request is the please-wait dialog's own
// message, which the main window passes on to it.
#pragma once
#include "system/RepairWorker.h"
#include "ui/ExecutePromptDlg.h"

#define WM_HOST_CHECK_RESULT (WM_USER + 502)   // 0x5F6, wParam: host result code 1..7
#define WM_REPAIR_RESULT     (WM_USER + 503)   // 0x5F7, wParam: 1 done, 2 failed

// What CRepairWorker sends, in its reporting order.
const SWorkerMessages kWorkerMessages{WM_CLOSE_EXECUTE_PROMPT, WM_HOST_CHECK_RESULT, WM_REPAIR_RESULT};

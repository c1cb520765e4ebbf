// The skin's private window messages and timer ids, each defined here once.
// The message values are the designed ones.
#pragma once
#include <windows.h>

// To the please-wait dialog, sent (wParam 0, lParam 0): the task is done,
// the dialog ends with IDOK. Its only way to end.
constexpr UINT WM_CLOSE_EXECUTE_PROMPT = WM_USER + 501;   // 0x5F5

// Prompt content window to its box, sent: which button was used (wParam 1
// the first, 2 the second).
constexpr UINT WM_PROMPT_RESULT = WM_USER + 504;          // 0x5F8
// Prompt content window to its box, sent: it was dragged to the rectangle
// lParam points to (const RECT*, screen coordinates).
constexpr UINT WM_PROMPT_CONTENT_MOVED = WM_USER + 505;

// The please-wait text's dots advance once a second.
constexpr UINT_PTR IDT_PLEASE_WAIT_DOTS = 36;

// Conversions between the Win32 rectangle and the portable one of the skin rules.
#pragma once
#include <windows.h>

#include "ui/SkinRules.h"

inline skin::Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline RECT ToRECT(const skin::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

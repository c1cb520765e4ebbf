// Counting another process's GDI and USER objects, for checks that a piece of
// the user interface gives back what it takes. Wine does not implement
// GetGuiResources (it answers 0), so there the GDI objects are counted in the
// process's GDI handle table and the USER objects as its windows.
#pragma once
#include <windows.h>

#include <string>

namespace vt {

struct GuiObjects {
    long gdi = -1;
    long user = -1;
    bool counted = false;
    std::wstring how;
};
GuiObjects CountGuiObjects(HANDLE process, DWORD pid);

// Checks the counting on the calling process: one more brush and one more
// window must each show up as one more object. detail says what was seen.
bool GuiCountingWorks(std::wstring* detail);

}  // namespace vt

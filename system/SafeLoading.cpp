#include "system/SafeLoading.h"

void RestrictDllSearchToSystemFolder()
{
    typedef BOOL(WINAPI * PFN_SetDefaultDllDirectories)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto set = kernel ? reinterpret_cast<PFN_SetDefaultDllDirectories>(
                            reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                      : nullptr;
    if (set)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

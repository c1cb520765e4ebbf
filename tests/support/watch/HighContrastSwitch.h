// A high-contrast switch for tests. Wine's SystemParametersInfo always
// reports the mode off and cannot set it, so a test installs this answer in
// place of a module's import of SystemParametersInfoW: SPI_GETHIGHCONTRAST
// then reports the mode on while the event named by VELMORA_HIGH_CONTRAST_EVENT
// (in the environment of the process) is set; everything else goes to the
// system. The message watch library installs it in the program it is loaded
// into when that variable is there; the Windows tests in their own program.
// Header-only: the watch library links nothing of the tests.
#pragma once
#include <windows.h>

#include <cstring>

namespace hcswitch {

using SpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);

inline SpiFunction& SystemSpi()
{
    static SpiFunction f = nullptr;
    return f;
}

inline bool SwitchOn()
{
    wchar_t name[128] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"VELMORA_HIGH_CONTRAST_EVENT", name, 128);
    if (n == 0 || n >= 128)
        return false;
    HANDLE ev = ::OpenEventW(SYNCHRONIZE, FALSE, name);
    if (!ev)
        return false;
    const bool on = ::WaitForSingleObject(ev, 0) == WAIT_OBJECT_0;
    ::CloseHandle(ev);
    return on;
}

inline BOOL WINAPI Answer(UINT action, UINT param, PVOID pv, UINT ini)
{
    const BOOL r = SystemSpi() ? SystemSpi()(action, param, pv, ini) : FALSE;
    if (action == SPI_GETHIGHCONTRAST && r && pv && SwitchOn())
        static_cast<HIGHCONTRASTW*>(pv)->dwFlags |= HCF_HIGHCONTRASTON;
    return r;
}

// Points module's calls of dll!function at replacement; false when it does
// not import that function by name.
inline bool ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return false;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<const char*>(base + d->Name), dll) != 0 || !d->OriginalFirstThunk)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
                continue;
            DWORD old = 0;
            if (!::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old))
                return false;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
            return true;
        }
    }
    return false;
}

// Installs the answer in module (once per process is enough; again is harmless).
inline bool Install(HMODULE module)
{
    if (!SystemSpi())
        SystemSpi() = reinterpret_cast<SpiFunction>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoW")));
    return SystemSpi() &&
           ReplaceImport(module, "user32.dll", "SystemParametersInfoW", reinterpret_cast<void*>(&Answer));
}

}  // namespace hcswitch

// The libraries the shipped programs import. Windows resolves a program's
// imports before its first statement, before it can confine the library
// search to the system folder: an imported library that is not one of the
// system's known libraries would be looked for in the program's folder first,
// where anyone who can write there could put one that runs with administrator
// rights. Everything else is delay-loaded (cmake/DelayLoad.cmake), at its first
// call, when the search is confined.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

// The known libraries of Windows 10 and 11 (the KnownDLLs key under
// HKLM\SYSTEM\CurrentControlSet\Control\Session Manager), taken from the
// system folder whatever else the search would find. ntdll.dll is not listed there: the system maps
// it into every process before anything else, it is never searched for.
const char* const kKnownLibraries[] = {
    "advapi32.dll", "clbcatq.dll",  "combase.dll",  "comdlg32.dll", "coml2.dll",    "difxapi.dll",
    "gdi32.dll",    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",    "kernel32.dll", "msctf.dll",
    "msvcrt.dll",   "normaliz.dll", "nsi.dll",      "ole32.dll",    "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll",   "sechost.dll",  "setupapi.dll", "shcore.dll",   "shell32.dll",  "shlwapi.dll",
    "user32.dll",   "wldap32.dll",  "ws2_32.dll",   "ntdll.dll",
};

bool IsKnown(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    // API sets are resolved by the loader itself, never by a file search.
    if (name.rfind("api-ms-win-", 0) == 0 || name.rfind("ext-ms-win-", 0) == 0)
        return true;
    return std::find(std::begin(kKnownLibraries), std::end(kKnownLibraries), name) != std::end(kKnownLibraries);
}

// The names in a PE file's import table, read from the file's bytes.
bool ImportedLibraries(const std::string& pe, std::vector<std::string>& names)
{
    auto at = [&](size_t offset, size_t size) { return offset + size <= pe.size() ? pe.data() + offset : nullptr; };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    const auto* nt = dos ? reinterpret_cast<const IMAGE_NT_HEADERS64*>(at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS64)))
                         : nullptr;
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return false;
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(dos->e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader,
           nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER)));
    if (!sections)
        return false;
    auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return pe.size();
    };
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (size_t offset = fileOffset(dir.VirtualAddress);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (!d)
            return false;
        if (d->Name == 0)
            return true;
        const char* name = at(fileOffset(d->Name), 1);
        if (!name)
            return false;
        names.emplace_back(name, strnlen(name, pe.data() + pe.size() - name));
    }
}

}  // namespace

TEST(ImportTable, TheShippedProgramsImportOnlyKnownSystemLibraries)
{
    for (const wchar_t* program : {L"Velmora.exe", L"devcon.exe"}) {
        SCOPED_TRACE(vt::Utf8(program));
        std::vector<std::string> names;
        ASSERT_TRUE(ImportedLibraries(vt::ReadFileBytes(vt::BinDir() + L"\\" + program), names));
        EXPECT_GE(names.size(), 3u);   // the table was read: kernel32, msvcrt, advapi32 at least
        for (const std::string& name : names)
            EXPECT_TRUE(IsKnown(name)) << name << " is imported: delay-load it (cmake/DelayLoad.cmake)";
    }
}

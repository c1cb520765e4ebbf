// Text whose letters that matter are ASCII: names compared, and folded, with
// no regard to the case of their ASCII letters only (a switch, a file name
// the program brought, a device ID, a SID), and text made plain ASCII for
// output a script or an agent reads byte for byte. Nothing here depends on a
// locale.
#pragma once
#include <string>

char LowerAscii(char c);
wchar_t LowerAscii(wchar_t c);
wchar_t UpperAscii(wchar_t c);
std::wstring LowerAscii(std::wstring s);
std::wstring UpperAscii(std::wstring s);

// The same length, and the same characters once ASCII letters are folded.
bool SameAsciiNoCase(const std::wstring& a, const std::wstring& b);

// Printable ASCII kept, anything else (control characters, anything past
// '~') as '?'.
std::string PrintableAscii(const std::wstring& text);

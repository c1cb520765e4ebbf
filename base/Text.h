// Text between its three forms: wide (UTF-16) for everything shown, every
// path and every command line; UTF-8 for log messages (the sources'
// encoding); the bytes of a code page where the system or a file wants them
// (the ANSI code page of a device ID, code page 936 of the log files).
// Converted per call: nothing process-wide is touched.
#pragma once
#include <windows.h>

#include <string>

// bytes in codePage as UTF-16; empty for empty or unconvertible input.
std::wstring ToWide(const std::string& bytes, UINT codePage);
// UTF-16 as bytes in codePage; what the code page lacks comes out as its
// default character ('?').
std::string FromWide(const std::wstring& text, UINT codePage);

inline std::wstring Utf8ToWide(const std::string& utf8) { return ToWide(utf8, CP_UTF8); }
inline std::string WideToUtf8(const std::wstring& text) { return FromWide(text, CP_UTF8); }
// The ANSI code page, up to the first NUL.
inline std::string WideToAnsi(const wchar_t* text) { return FromWide(text ? text : L"", CP_ACP); }
// UTF-8 as code page 936 (GBK) bytes; invalid UTF-8 and characters the code
// page lacks come out as '?'.
inline std::string Utf8ToCodePage936(const std::string& utf8) { return FromWide(Utf8ToWide(utf8), 936); }

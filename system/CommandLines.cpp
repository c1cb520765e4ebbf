#include "system/CommandLines.h"

const wchar_t* const kDeviceToolName = L"devcon.exe";
const wchar_t* const kWaitToolName = L"timeout.exe";
const wchar_t* const kWmicInSystemFolder = L"wbem\\WMIC.exe";

std::wstring ComposeCommandLine(const std::wstring& command)
{
    // The command is a C string to the formatter: it ends at its first NUL.
    std::wstring line = L"cmd /D /S /C \"" + command.substr(0, command.find(L'\0')) + L"\"";
    if (line.size() > kMaxCommandLineChars)
        line.resize(kMaxCommandLineChars);
    return line;
}

bool FitsInterpreterLine(const std::wstring& command)
{
    return ComposeCommandLine(command).size() == command.size() + kInterpreterWrapChars;
}

std::wstring Quoted(const std::wstring& s)
{
    return L"\"" + s + L"\"";
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name)
{
    return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

bool UnsafeForInterpreter(const std::wstring& path)
{
    for (wchar_t c : path)
        if (c == L'%' || c == L'!' || c == L'"' || c < 0x20)
            return true;
    return false;
}

// devcon.exe: Velmora's console device tool. See UsageText for its command line.
#include <windows.h>

#include <string>
#include <vector>

#include "devicetool/DeviceTool.h"
#include "devicetool/SetupApiDevices.h"
#include "base/Handles.h"

namespace {

bool IsWow64()
{
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

bool IsElevated()
{
    CTokenHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Out()))
        return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    return ::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated;
}

void Write(DWORD stream, const std::string& text)
{
    HANDLE h = ::GetStdHandle(stream);
    DWORD written = 0;
    if (h && h != INVALID_HANDLE_VALUE && !text.empty())
        ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // Run elevated from a folder anyone may have written to: later loads come
    // from the system folder only (setupapi itself is a known system DLL).
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    devtool::Environment env;
    env.wow64 = IsWow64();
    env.elevated = IsElevated();
    env.version = DEVICETOOL_VERSION;

    CSetupApiDevices devices;
    const devtool::Report report = devtool::RunTool(args, env, devices);
    Write(STD_OUTPUT_HANDLE, report.out);
    Write(STD_ERROR_HANDLE, report.err);
    return report.exitCode;
}

#include "tests/support/RestartLogger.h"

#include <windows.h>

#include "base/Handles.h"
#include "tests/support/TestSupport.h"

namespace vt {

const wchar_t* const kRestartMarker = L"VELMORA_RESTART_LOG";

namespace {

std::wstring System32()
{
    wchar_t buf[MAX_PATH + 1] = {};
    ::GetSystemDirectoryW(buf, MAX_PATH);
    return buf;
}

const wchar_t* const kOverrides = L"Software\\Wine\\DllOverrides";

}  // namespace

std::wstring RestartLogPath()
{
    return L"C:\\velmora-tests\\restart-logger\\restart-log.txt";
}

bool InstallRestartLogger()
{
    const std::wstring sys = System32();
    const std::wstring real = sys + L"\\wineboot.exe", saved = sys + L"\\wineboot-builtin.exe";
    const std::wstring logger = BinDir() + L"\\standins\\wineboot.exe";
    if (!PathExists(logger))
        return false;
    ::CreateDirectoryW(L"C:\\velmora-tests", nullptr);
    ::CreateDirectoryW(L"C:\\velmora-tests\\restart-logger", nullptr);
    ::DeleteFileW(RestartLogPath().c_str());
    // The real one is saved once; a second install must not save the logger.
    if (!PathExists(saved) && !::CopyFileW(real.c_str(), saved.c_str(), TRUE))
        return false;
    CRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    const wchar_t native[] = L"native";
    bool ok = ::RegSetValueExW(key.Get(), L"wineboot.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(native),
                               sizeof(native)) == ERROR_SUCCESS;
    if (!ok || !::CopyFileW(logger.c_str(), real.c_str(), FALSE)) {
        RemoveRestartLogger();
        return false;
    }
    // A request may go out only once the logger answers in place of the real
    // one (the process is ended if it does not answer in time).
    const bool answers = WaitFor(
        [&] {
            CProcess probe;
            return probe.Start(real, L"--velmora-probe", L"C:\\", {{kRestartMarker, RestartLogPath()}}) &&
                   probe.WaitExit(5000) && RestartLog().find("--velmora-probe") != std::string::npos;
        },
        20000, 100);
    ::DeleteFileW(RestartLogPath().c_str());
    if (!answers)
        RemoveRestartLogger();
    return answers;
}

void RemoveRestartLogger()
{
    const std::wstring sys = System32();
    const std::wstring real = sys + L"\\wineboot.exe", saved = sys + L"\\wineboot-builtin.exe";
    if (PathExists(saved) && ::CopyFileW(saved.c_str(), real.c_str(), FALSE))
        ::DeleteFileW(saved.c_str());
    CRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kOverrides, 0, KEY_SET_VALUE, key.Out()) == ERROR_SUCCESS)
        ::RegDeleteValueW(key.Get(), L"wineboot.exe");
}

std::string RestartLog()
{
    return ReadFileBytes(RestartLogPath());
}

}  // namespace vt

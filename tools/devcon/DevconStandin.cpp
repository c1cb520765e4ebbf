// Stand-in for devcon.exe, copied by the tests into the program folder.
//
// Contract (all files in the stand-in's own folder):
//   devcon-output.txt  printed to standard output byte for byte (nothing when absent)
//   devcon.cfg         optional; a line "exit=<n>" sets the exit code (default 0),
//                      a line "sleep_ms=<n>" makes it take that long first
//   devcon-hold        optional; while it exists (up to 60 s) the stand-in
//                      waits after recording its call, so a test can look at
//                      the program while the command runs
//   devcon-calls.txt   one line appended per run, UTF-8:
//                      <full command line> TAB <current directory> CR LF
#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/Handles.h"

namespace {

std::wstring OwnFolder()
{
    wchar_t buf[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring p(buf);
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

std::string ReadAll(const std::wstring& path)
{
    std::string out;
    CFileHandle h(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!h)
        return out;
    char buf[4096];
    DWORD n = 0;
    while (::ReadFile(h.Get(), buf, sizeof buf, &n, nullptr) && n)
        out.append(buf, n);
    return out;
}

std::string Utf8(const std::wstring& s)
{
    if (s.empty())
        return {};
    int n = ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

int main()
{
    const std::wstring dir = OwnFolder();

    wchar_t cwd[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryW(MAX_PATH, cwd);
    std::string line = Utf8(::GetCommandLineW()) + "\t" + Utf8(cwd) + "\r\n";
    if (CFileHandle log{::CreateFileW((dir + L"devcon-calls.txt").c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr)}) {
        DWORD n = 0;
        ::WriteFile(log.Get(), line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
    }

    const std::wstring hold = dir + L"devcon-hold";
    for (int i = 0; i < 3000 && ::GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
        ::Sleep(20);

    std::string cfg = ReadAll(dir + L"devcon.cfg");
    size_t sleep = cfg.find("sleep_ms=");
    if (sleep != std::string::npos)
        ::Sleep(static_cast<DWORD>(std::atoi(cfg.c_str() + sleep + 9)));

    std::string output = ReadAll(dir + L"devcon-output.txt");
    if (!output.empty()) {
        DWORD n = 0;
        ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), output.data(), static_cast<DWORD>(output.size()), &n, nullptr);
    }

    size_t at = cfg.find("exit=");
    return at == std::string::npos ? 0 : std::atoi(cfg.c_str() + at + 5);
}

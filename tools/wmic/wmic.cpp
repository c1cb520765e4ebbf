// Test stand-in for wmic: the test prefix's System32\wbem\wmic.exe, where the
// program runs it from. Everything it uses lies in the folder named by the
// environment variable VELMORA_WMIC_DIR (the program under test passes its
// environment on), else in its own folder:
//
//   wmic-csproduct.bin  printed verbatim when an argument contains "csproduct"
//   wmic-os.bin         printed verbatim otherwise, when an argument contains "os"
//                       (any case, e.g. "WMIC OS List status")
//   wmic.cfg            optional, one setting a line:
//                         exit=<n>       exit code (default 0)
//                         sleep_ms=<n>   wait this long before printing
//                         hang=1         after printing, sleep for ever
//                         linger=1       after printing, leave a program of
//                                        its own running in the background
//                                        (60 s at most), holding the output,
//                                        and end at once
//   wmic-hold           while a file of this name exists (at most 60 s), wait
//                       before printing: the test decides when the query ends
//   wmic-calls.txt      each run appends its whole command line (UTF-8) and CR LF
//
// A missing payload file prints nothing. The bytes go to standard output as
// they are: any line ends, NUL bytes, any size.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/Handles.h"

namespace {

std::wstring OwnFolder()
{
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

// The command line without the program's own name.
std::wstring Arguments(const wchar_t* line)
{
    const wchar_t* p = line;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p)
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    return p;
}

std::wstring Lower(std::wstring s)
{
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

std::string ReadAll(const std::wstring& path)
{
    std::string out;
    CFileHandle f(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!f)
        return out;
    char buf[65536];
    DWORD n = 0;
    while (::ReadFile(f.Get(), buf, sizeof(buf), &n, nullptr) && n > 0)
        out.append(buf, n);
    return out;
}

void AppendCall(const std::wstring& path, const wchar_t* line)
{
    int n = ::WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string text(n > 0 ? static_cast<size_t>(n - 1) : 0, '\0');
    if (n > 1)
        ::WideCharToMultiByte(CP_UTF8, 0, line, -1, &text[0], n, nullptr, nullptr);
    text += "\r\n";
    CFileHandle f(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, 0, nullptr));
    if (!f)
        return;
    DWORD w = 0;
    ::WriteFile(f.Get(), text.data(), static_cast<DWORD>(text.size()), &w, nullptr);
}

// Value of "key=" in the configuration text, or fallback.
long Setting(const std::string& cfg, const std::string& key, long fallback)
{
    size_t pos = 0;
    while (pos < cfg.size()) {
        size_t end = cfg.find('\n', pos);
        if (end == std::string::npos)
            end = cfg.size();
        std::string line = cfg.substr(pos, end - pos);
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
        pos = end + 1;
    }
    return fallback;
}

void WriteAll(const std::string& bytes)
{
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD piece = static_cast<DWORD>(bytes.size() - done < 65536 ? bytes.size() - done : 65536);
        DWORD w = 0;
        if (!::WriteFile(out, bytes.data() + done, piece, &w, nullptr) || w == 0)
            return;
        done += w;
    }
}

}  // namespace

// The folder of the payloads and the journal, with a trailing backslash.
std::wstring DataFolder()
{
    wchar_t buf[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableW(L"VELMORA_WMIC_DIR", buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return OwnFolder();
    std::wstring dir(buf, n);
    return dir.back() == L'\\' ? dir : dir + L"\\";
}

// A copy of this program that holds the output it inherits and ends only
// after kLingerMs (or when ended with the command's job).
const wchar_t* const kLingerArgument = L" --linger-holding-output";
const DWORD kLingerMs = 60000;

void LeaveLingerer()
{
    wchar_t self[MAX_PATH] = {};
    if (!::GetModuleFileNameW(nullptr, self, MAX_PATH))
        return;
    std::wstring line = L"\"" + std::wstring(self) + L"\"" + kLingerArgument;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    for (HANDLE h : {si.hStdInput, si.hStdOutput, si.hStdError})
        ::SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    PROCESS_INFORMATION pi = {};
    if (::CreateProcessW(self, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
}

int main()
{
    const wchar_t* line = ::GetCommandLineW();
    if (Arguments(line) == kLingerArgument) {
        ::Sleep(kLingerMs);
        return 0;
    }
    const std::wstring dir = DataFolder();
    AppendCall(dir + L"wmic-calls.txt", line);

    const std::string cfg = ReadAll(dir + L"wmic.cfg");
    const std::wstring args = Lower(Arguments(line));

    long sleepMs = Setting(cfg, "sleep_ms", 0);
    if (sleepMs > 0)
        ::Sleep(static_cast<DWORD>(sleepMs));
    const std::wstring hold = dir + L"wmic-hold";
    for (int i = 0; i < 3000 && ::GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
        ::Sleep(20);

    if (args.find(L"csproduct") != std::wstring::npos)
        WriteAll(ReadAll(dir + L"wmic-csproduct.bin"));
    else if (args.find(L"os") != std::wstring::npos)
        WriteAll(ReadAll(dir + L"wmic-os.bin"));

    if (Setting(cfg, "linger", 0) == 1)
        LeaveLingerer();
    if (Setting(cfg, "hang", 0) == 1)
        for (;;)
            ::Sleep(INFINITE);
    return static_cast<int>(Setting(cfg, "exit", 0));
}

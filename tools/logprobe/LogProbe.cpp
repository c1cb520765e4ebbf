// logprobe.exe STEP...   runs the steps in order, then exits 0 (2 on bad arguments).
//   D <force 0|1> <file> <message>          GetInstance()->Log(...)
//   R <root> <force 0|1> <file> <message>   GetInstance(root)->Log(...)
//   S <path>                                writes g_strLogRoot (UTF-8) to path
//   M <path>                                writes the log folders this run made
//                                           to path, one a line: "<path>|<volume>|<index>"
//                                           (UTF-8, the numbers in decimal)
//   L                                       lets go of the log folders this run made
//   W <marker>                              creates marker, then waits while it is
//                                           there (up to 60 s)
//   H <path> <marker>                       opens path shared for reading and writing,
//                                           then does W <marker>
#include <windows.h>

#include <string>

#include "base/Handles.h"
#include "log/LogSave.h"

namespace {
std::string Utf8(const std::wstring& s)
{
    if (s.empty())
        return {};
    int n = ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

bool WriteText(const std::wstring& path, const std::string& text)
{
    CFileHandle h(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!h)
        return false;
    DWORD n = 0;
    ::WriteFile(h.Get(), text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    return true;
}

bool WaitWhileThere(const std::wstring& marker)
{
    if (!WriteText(marker, "waiting"))
        return false;
    for (int i = 0; i < 3000 && ::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
        ::Sleep(20);
    return true;
}
}  // namespace

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc;) {
        std::wstring step = argv[i++];
        auto left = [&](int n) { return argc - i >= n; };
        if (step == L"D" && left(3)) {
            CLogSave::GetInstance()->Log(Utf8(argv[i + 2]), Utf8(argv[i + 1]), argv[i][0] == L'1');
            i += 3;
        } else if (step == L"R" && left(4)) {
            CLogSave::GetInstance(argv[i])->Log(Utf8(argv[i + 3]), Utf8(argv[i + 2]), argv[i + 1][0] == L'1');
            i += 4;
        } else if (step == L"S" && left(1)) {
            if (!WriteText(argv[i], Utf8(g_strLogRoot)))
                return 3;
            i += 1;
        } else if (step == L"M" && left(1)) {
            std::string made;
            for (const SMadeLogFolder& f : LogFoldersMadeByThisRun())
                made += Utf8(f.path) + "|" + std::to_string(f.identity.volume) + "|" +
                        std::to_string(f.identity.index) + "\n";
            if (!WriteText(argv[i], made))
                return 3;
            i += 1;
        } else if (step == L"L") {
            for (const SMadeLogFolder& f : LogFoldersMadeByThisRun())
                LetGoOfLogFolder(f.identity);
        } else if (step == L"W" && left(1)) {
            if (!WaitWhileThere(argv[i]))
                return 3;
            i += 1;
        } else if (step == L"H" && left(2)) {
            CFileHandle held(::CreateFileW(argv[i], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_ALWAYS, 0, nullptr));
            if (!held || !WaitWhileThere(argv[i + 1]))
                return 3;
            i += 2;
        } else {
            return 2;
        }
    }
    return 0;
}

// Stand-in for timeout.exe, put in a folder first on the search path.
//
// Contract: "timeout /t N [/nobreak]" sleeps N seconds (0..99999) and exits 0;
// without a number after /t it prints "ERROR: Invalid syntax." and exits 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (_stricmp(argv[i], "/t") != 0 && _stricmp(argv[i], "-t") != 0)
            continue;
        char* end = nullptr;
        long seconds = std::strtol(argv[i + 1], &end, 10);
        if (end == argv[i + 1] || *end || seconds < 0 || seconds > 99999)
            break;
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
        return 0;
    }
    std::printf("ERROR: Invalid syntax.\n");
    return 1;
}

#include "system/CommandPipe.h"

#include <atomic>
#include <string>

namespace {

// What the command may write ahead of the reads, as much as an anonymous
// pipe of the default size holds.
const DWORD kBufferBytes = 4096;

// A name no other pipe of this machine has: the process, a counter for runs
// on several threads, and the performance counter against a name left by an
// earlier process with the same id. Taking it as the first instance fails if
// anyone made it before us, so a pipe prepared by another program is never
// used.
std::wstring UniquePipeName()
{
    static std::atomic<unsigned long> counter{0};
    LARGE_INTEGER now = {};
    ::QueryPerformanceCounter(&now);
    return L"\\\\.\\pipe\\velmora-output-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L"-" + std::to_wstring(now.QuadPart);
}

}  // namespace

bool CreateOutputPipe(SOutputPipe& pipe)
{
    const std::wstring name = UniquePipeName();
    pipe.readEnd.Reset(::CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, kBufferBytes, 0, nullptr));
    if (!pipe.readEnd)
        return false;
    // One instance: once this end is connected, nobody else can be. Nobody
    // else can write into it before that either: the pipe's default security,
    // taken from this elevated process, lets only Administrators and SYSTEM
    // open it for writing. One who opens it for reading first only makes this
    // open fail, and the command is then not run.
    pipe.writeEnd.Reset(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!pipe.writeEnd) {
        pipe.readEnd.Reset();
        return false;
    }
    return true;
}

CFileHandle OpenEmptyInput()
{
    return CFileHandle(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
}

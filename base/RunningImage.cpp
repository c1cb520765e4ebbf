#include "base/RunningImage.h"

#include "base/Handles.h"
#include "base/Paths.h"
#include "base/Trust.h"

namespace {

struct SRunningImage {
    CFileHandle file;
    std::wstring path;
    SFileIdentity identity;
    bool known = false;
};

const SRunningImage& Held()
{
    static const SRunningImage image = [] {
        SRunningImage held;
        held.path = GetExePath();
        // Renaming or deleting stays possible (the self-removal needs it);
        // writing does not, so what is read from it later is what ran.
        CFileHandle own(::CreateFileW(held.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (own && IsOwnImage(own.Get()) && ReadIdentity(own.Get(), held.identity)) {
            held.file = std::move(own);
            held.known = true;
        }
        return held;
    }();
    return image;
}

}  // namespace

void HoldRunningImage()
{
    Held();
}

HANDLE RunningImageFile()
{
    return Held().file.Get();
}

const std::wstring& RunningImagePath()
{
    return Held().path;
}

bool RunningImageIdentity(SFileIdentity& out)
{
    const SRunningImage& image = Held();
    if (!image.known)
        return false;
    out = image.identity;
    return true;
}

bool IsRunningImageFile(HANDLE file)
{
    SFileIdentity own, other;
    return file && RunningImageIdentity(own) && ReadIdentity(file, other) && own.SameFileAs(other);
}

bool RunsSameProgramFile(DWORD pid)
{
    CHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!process || !::QueryFullProcessImageNameW(process.Get(), 0, &path[0], &size))
        return false;
    path.resize(size);
    CFileHandle program(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    return program && IsRunningImageFile(program.Get());
}

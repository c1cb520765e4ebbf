// The end of a run over hostile folder and file names: what it removes stays
// inside the program folder and is the tool's or the run's, a protected folder
// is never removed, and the hidden command names nothing else.
#include <cstdint>
#include <string>
#include <vector>

#include "system/SelfRemovalRules.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

std::vector<std::wstring> Split(const std::wstring& text, wchar_t sep)
{
    std::vector<std::wstring> out;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(sep, start);
        out.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos)
            return out;
        start = end + 1;
    }
}

bool IsLogFile(const std::wstring& name)
{
    for (const wchar_t* n : kLogFileNames)
        if (name == n)
            return true;
    return false;
}

bool SameNoCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z')
            x = static_cast<wchar_t>(x - 32);
        if (y >= L'a' && y <= L'z')
            y = static_cast<wchar_t>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Lines: the folder, the program's name, then file names; those on odd
    // lines were there at the start. A first byte that is odd: this run made
    // its log folder.
    const std::vector<std::wstring> lines = Split(WideFromBytes(data, size), L'\n');
    SSelfRemovalFacts f;
    f.folder = lines[0];
    f.programName = lines.size() > 1 ? lines[1] : L"Velmora.exe";
    f.startListed = size > 0 && (data[0] & 2);
    for (size_t i = 2; i < lines.size(); ++i) {
        f.filesNow.push_back(lines[i]);
        if (i % 2)
            f.filesAtStart.push_back(lines[i]);
    }
    f.logFolderMadeByRun = size > 0 && (data[0] & 1);
    f.logFilesNow = {L"Velmora.txt", L"Quorrant.txt", L"other.txt"};
    f.protectedFolders = {L"C:\\Windows", L"C:\\Users\\alice\\Downloads", L"D:\\Data\\Documents"};
    f.profileFolders = {L"C:\\Users\\alice", L"\\\\server\\share\\profiles\\bob"};
    const bool isProtected = IsProtectedFolder(f.folder, f.protectedFolders, f.profileFolders);

    const SSelfRemovalPlan plan = PlanSelfRemoval(f);
    if (!plan.safe) {
        FUZZ_CHECK(plan.removeNow.empty() && plan.removeLater.empty() && plan.folderLater.empty() &&
                   plan.logFolderNow.empty());
        return 0;
    }
    FUZZ_CHECK(!UnsafeForInterpreter(f.folder));
    const std::wstring base = !f.folder.empty() && f.folder.back() == L'\\' ? f.folder : f.folder + L"\\";
    for (const std::wstring& p : plan.removeNow) {
        FUZZ_CHECK(p.compare(0, base.size(), base) == 0);
        const std::wstring rest = p.substr(base.size());
        if (rest.compare(0, 8, L"ToolLog\\") == 0) {
            FUZZ_CHECK(f.logFolderMadeByRun && IsLogFile(rest.substr(8)));
            continue;
        }
        FUZZ_CHECK(rest.find_first_of(L"\\/:") == std::wstring::npos && !rest.empty());
        // The device tool, or a file that came while the tool ran in a folder
        // the user does not keep things in.
        bool arrived = f.startListed && !isProtected;
        for (const std::wstring& before : f.filesAtStart)
            arrived = arrived && !SameNoCase(before, rest);
        FUZZ_CHECK(rest == kDeviceToolName || arrived);
    }
    for (const std::wstring& p : plan.removeLater)
        FUZZ_CHECK(p == base + f.programName || p == base + kFeedbackLibraryName);
    FUZZ_CHECK(plan.folderLater.empty() || (plan.folderLater == f.folder && !isProtected));
    FUZZ_CHECK(plan.logFolderNow.empty() || plan.logFolderNow == base + kLogFolderName);

    const std::wstring system = L"C:\\Windows\\system32";
    const std::wstring params = SelfRemovalParameters(plan, system);
    if (params.empty())
        return 0;
    FUZZ_CHECK(params.size() <= kMaxRemovalParameterChars);
    FUZZ_CHECK(params.compare(0, 10, L"/D /S /C \"") == 0 && params.back() == L'"');
    FUZZ_CHECK(params.find_first_of(L"%!") == std::wstring::npos);
    FUZZ_CHECK(params.find(L"/s ") == std::wstring::npos && params.find(L"/S ") == params.find(L"/S /C"));
    // Inside the outer quotes, every quoted text is the wait command or a
    // path of the plan, and only the plan's folder is removed.
    const std::vector<std::wstring> parts = Split(params.substr(10, params.size() - 11), L'"');
    FUZZ_CHECK(parts.size() % 2 == 1);
    for (size_t i = 1; i < parts.size(); i += 2) {
        const std::wstring& q = parts[i];
        bool known = q == system + L"\\timeout.exe" || q == plan.folderLater;
        for (const std::wstring& p : plan.removeLater)
            known = known || q == p;
        FUZZ_CHECK(known);
        if (parts[i - 1].size() >= 6 && parts[i - 1].compare(parts[i - 1].size() - 6, 6, L"rmdir ") == 0)
            FUZZ_CHECK(q == plan.folderLater && !q.empty());
    }
    return 0;
}

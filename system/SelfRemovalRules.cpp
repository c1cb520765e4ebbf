#include "system/SelfRemovalRules.h"

const wchar_t* const kDeviceToolName = L"devcon.exe";
const wchar_t* const kFeedbackLibraryName = L"TarnexFeedbackInformation.dll";
const wchar_t* const kLogFolderName = L"ToolLog";
const wchar_t* const kLogFileNames[4] = {L"Velmora.txt", L"Velmora.txtbak", L"Quorrant.txt", L"Quorrant.txtbak"};
const int kRemovalRetryWaits[5] = {1, 2, 4, 8, 15};

namespace {

wchar_t UpperAscii(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name)
{
    for (const std::wstring& n : names)
        if (SameName(n, name))
            return true;
    return false;
}

// Backslashes only, none at the end, ASCII letters in upper case, and the
// long-path prefixes (\\?\ and \\?\UNC\) taken off.
std::wstring Normal(const std::wstring& path)
{
    std::wstring p = path;
    for (wchar_t& c : p)
        c = c == L'/' ? L'\\' : UpperAscii(c);
    if (p.compare(0, 4, L"\\\\?\\") == 0) {
        p.erase(0, 4);
        if (p.compare(0, 4, L"UNC\\") == 0)
            p.replace(0, 4, L"\\\\");
    }
    while (!p.empty() && p.back() == L'\\')
        p.pop_back();
    return p;
}

bool IsRoot(const std::wstring& p)
{
    if (p.size() <= 2)   // "", "C:" and other stubs
        return true;
    if (p.compare(0, 2, L"\\\\") == 0) {
        // \\server\share is a root; \\server\share\folder is not.
        size_t server = p.find(L'\\', 2);
        return server == std::wstring::npos || p.find(L'\\', server + 1) == std::wstring::npos;
    }
    return false;
}

bool IsSameOrParentOf(const std::wstring& folder, const std::wstring& other)
{
    if (other.empty())
        return false;
    if (folder == other)
        return true;
    return other.size() > folder.size() && other.compare(0, folder.size(), folder) == 0 &&
           other[folder.size()] == L'\\';
}

std::wstring Parent(const std::wstring& p)
{
    size_t slash = p.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash);
}

std::wstring Quoted(const std::wstring& s)
{
    return L"\"" + s + L"\"";
}

std::wstring Join(const std::wstring& folder, const std::wstring& name)
{
    return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

bool PlainFileName(const std::wstring& name)
{
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos;
}

}  // namespace

bool IsProtectedFolder(const std::wstring& folder, const std::vector<std::wstring>& protectedFolders,
                       const std::vector<std::wstring>& profileFolders)
{
    const std::wstring f = Normal(folder);
    if (IsRoot(f))
        return true;
    for (const std::wstring& p : protectedFolders)
        if (IsSameOrParentOf(f, Normal(p)))
            return true;
    const std::wstring parent = Parent(f);
    for (const std::wstring& p : profileFolders) {
        const std::wstring profile = Normal(p);
        if (IsSameOrParentOf(f, profile) || (!profile.empty() && parent == profile))
            return true;
    }
    return false;
}

bool UnsafeForInterpreter(const std::wstring& path)
{
    for (wchar_t c : path)
        if (c == L'%' || c == L'!' || c == L'"' || c < 0x20)
            return true;
    return false;
}

SSelfRemovalPlan PlanSelfRemoval(const SSelfRemovalFacts& facts)
{
    SSelfRemovalPlan plan;
    const std::wstring& folder = facts.folder;
    if (folder.empty() || UnsafeForInterpreter(folder) || !PlainFileName(facts.programName) ||
        UnsafeForInterpreter(facts.programName))
        return plan;
    plan.safe = true;
    const bool isProtected = IsProtectedFolder(folder, facts.protectedFolders, facts.profileFolders);

    // The tool's own files: the two in use until the program has ended later.
    if (Contains(facts.filesNow, kDeviceToolName))
        plan.removeNow.push_back(Join(folder, kDeviceToolName));
    plan.removeLater.push_back(Join(folder, facts.programName));
    if (Contains(facts.filesNow, kFeedbackLibraryName))
        plan.removeLater.push_back(Join(folder, kFeedbackLibraryName));

    // What this run wrote there: the files of a log folder it made ...
    if (facts.logFolderMadeByRun) {
        const std::wstring logFolder = Join(folder, kLogFolderName);
        for (const wchar_t* name : kLogFileNames)
            if (Contains(facts.logFilesNow, name))
                plan.removeNow.push_back(Join(logFolder, name));
        plan.logFolderNow = logFolder;
    }
    // ... and, where the folder is not one the user keeps things in, the files
    // that came while it ran.
    if (!isProtected && facts.startListed) {
        for (const std::wstring& name : facts.filesNow) {
            if (!PlainFileName(name) || Contains(facts.filesAtStart, name) || SameName(name, facts.programName) ||
                SameName(name, kDeviceToolName) || SameName(name, kFeedbackLibraryName))
                continue;
            plan.removeNow.push_back(Join(folder, name));
        }
    }
    if (!isProtected)
        plan.folderLater = folder;
    return plan;
}

std::wstring SelfRemovalParameters(const SSelfRemovalPlan& plan, const std::wstring& systemFolder)
{
    if (!plan.safe || (plan.removeLater.empty() && plan.folderLater.empty()))
        return {};
    if (systemFolder.empty() || UnsafeForInterpreter(systemFolder) || UnsafeForInterpreter(plan.folderLater))
        return {};
    for (const std::wstring& f : plan.removeLater)
        if (f.empty() || UnsafeForInterpreter(f))
            return {};

    const std::wstring timeout = Quoted(Join(systemFolder, L"timeout.exe"));
    auto wait = [&](int seconds) { return timeout + L" /t " + std::to_wstring(seconds) + L" /nobreak >nul"; };
    std::wstring attempt;
    if (!plan.removeLater.empty()) {
        attempt = L"del /f /q";
        for (const std::wstring& f : plan.removeLater)
            attempt += L" " + Quoted(f);
        attempt += L" >nul 2>&1";
    }
    if (!plan.folderLater.empty())
        attempt += (attempt.empty() ? L"" : L" & ") + std::wstring(L"rmdir ") + Quoted(plan.folderLater) + L" >nul 2>&1";

    std::wstring body = wait(3) + L" & " + attempt;
    // "if exist" makes the whole rest of the line its command: each further
    // try happens only while the program's file is still there.
    if (!plan.removeLater.empty())
        for (int seconds : kRemovalRetryWaits)
            body += L" & if exist " + Quoted(plan.removeLater.front()) + L" " + wait(seconds) + L" & " + attempt;
    // /D: no AutoRun commands from the registry; /S: only the outer quotes go.
    const std::wstring params = L"/D /S /C \"" + body + L"\"";
    return params.size() <= kMaxRemovalParameterChars ? params : std::wstring();
}

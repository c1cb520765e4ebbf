#include "system/SelfRemovalRules.h"

#include "base/AsciiRules.h"
#include "log/LogRules.h"
#include "system/CommandLines.h"

const wchar_t* const kFeedbackLibraryName = L"TarnexFeedbackInformation.dll";
const wchar_t* const kLogFolderName = L"ToolLog";
const int kRemovalRetryWaits[5] = {1, 2, 4, 8, 15};

namespace RemovalLog {
const char* const kFolderNotHeld = "无法锁定程序文件夹，未删除任何文件：";
const char* const kReachedThroughLink = "程序文件夹经由链接打开，文件夹保留，只删除本工具的文件：";
const char* const kChangedSinceStart = "文件已不是本工具带来的文件，未删除：";
const char* const kNotPlainFile = "运行期间出现的不是普通文件，未删除：";
const char* const kDeleteFailed = "删除文件失败：";
const char* const kNoShell = "无法通过桌面启动延迟删除命令，保留：";
const char* const kUnsafeForInterpreter = "路径含有命令解释器会改写的字符，未删除任何文件：";
}  // namespace RemovalLog

namespace {

const SRemovalEntry* Find(const std::vector<SRemovalEntry>& entries, const std::wstring& name)
{
    for (const SRemovalEntry& e : entries)
        if (SameAsciiNoCase(e.name, name))
            return &e;
    return nullptr;
}

bool StartsWith(const std::wstring& s, const wchar_t* prefix)
{
    return s.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

bool IsDrive(const std::wstring& p)
{
    return p.size() >= 2 && p[0] >= L'A' && p[0] <= L'Z' && p[1] == L':' && (p.size() == 2 || p[2] == L'\\');
}

// Backslashes only, none doubled but the two that begin a share or device path.
std::wstring Separated(const std::wstring& path)
{
    std::wstring p;
    for (wchar_t c : path) {
        c = c == L'/' ? L'\\' : c;
        if (c == L'\\' && p.size() > 1 && p.back() == L'\\')
            continue;
        p.push_back(c);
    }
    return p;
}

// One comparable form: separated as above, none at the end, ASCII letters in
// upper case, and the prefixes that spell a drive or a share another way
// taken off (\\?\C:, \\.\C:, \\?\UNC\server). Device paths the system
// reaches otherwise (\\?\VOLUME{..}, \\?\GLOBALROOT) keep theirs.
std::wstring Normal(const std::wstring& path)
{
    std::wstring p = UpperAscii(Separated(path));
    if (StartsWith(p, L"\\\\?\\") || StartsWith(p, L"\\\\.\\")) {
        const std::wstring rest = p.substr(4);
        if (StartsWith(rest, L"UNC\\"))
            p = L"\\\\" + rest.substr(4);
        else if (IsDrive(rest))
            p = rest;
    }
    while (!p.empty() && p.back() == L'\\')
        p.pop_back();
    return p;
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

// The path as the interpreter must be given it so that every name is taken
// exactly (no trailing dots or blanks dropped): \\?\ in front.
std::wstring ExactPath(const std::wstring& path)
{
    if (StartsWith(path, L"\\\\?\\"))
        return path;
    const std::wstring p = Separated(path);
    if (StartsWith(p, L"\\\\?\\"))
        return p;
    if (StartsWith(p, L"\\\\.\\"))
        return L"\\\\?\\" + p.substr(4);
    if (StartsWith(p, L"\\\\"))
        return L"\\\\?\\UNC\\" + p.substr(2);
    return L"\\\\?\\" + p;
}

bool PlainFileName(const std::wstring& name)
{
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos;
}

bool IsShippedName(const std::wstring& name, const std::wstring& programName)
{
    return SameAsciiNoCase(name, programName) || SameAsciiNoCase(name, kDeviceToolName) ||
           SameAsciiNoCase(name, kFeedbackLibraryName);
}

// Nothing but the tool's own plain files: no other file, no folder, no link.
bool HeldOnlyTheTool(const std::vector<SRemovalEntry>& atStart, const std::wstring& programName)
{
    for (const SRemovalEntry& e : atStart)
        if (!e.plainFile || !IsShippedName(e.name, programName))
            return false;
    return !atStart.empty();
}

bool WasThereAtStart(const std::vector<SRemovalEntry>& atStart, const SRemovalEntry& e)
{
    for (const SRemovalEntry& s : atStart)
        if (SameAsciiNoCase(s.name, e.name) || s.id == e.id)
            return true;
    return false;
}

}  // namespace

bool IsProtectedFolder(const std::wstring& folder, const std::vector<std::wstring>& protectedFolders,
                       const std::vector<std::wstring>& profileFolders)
{
    const std::wstring f = Normal(folder);
    if (!IsDrive(f) || f.size() <= 2)
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


SSelfRemovalPlan PlanSelfRemoval(const SSelfRemovalFacts& facts)
{
    SSelfRemovalPlan plan;
    if (!facts.held) {
        plan.kept.push_back({RemovalLog::kFolderNotHeld, facts.startedPath});
        return plan;
    }
    const std::wstring& folder = facts.finalPathNow;
    if (folder.empty() || UnsafeForInterpreter(folder) || !PlainFileName(facts.programName) ||
        UnsafeForInterpreter(facts.programName)) {
        plan.kept.push_back({RemovalLog::kUnsafeForInterpreter, facts.startedPath});
        return plan;
    }
    plan.safe = true;
    // A link anywhere on the way, or a folder moved while held: the path the
    // user started from is not where the files are.
    const std::wstring final = Normal(facts.finalPathNow);
    plan.reachedThroughLink = !facts.heldAsIs || Normal(facts.startedPath) != final ||
                              Normal(facts.finalPathAtStart) != final;
    if (plan.reachedThroughLink)
        plan.kept.push_back({RemovalLog::kReachedThroughLink, facts.startedPath});
    plan.folderProtected =
        plan.reachedThroughLink || IsProtectedFolder(folder, facts.protectedFolders, facts.profileFolders);
    plan.dedicated = HeldOnlyTheTool(facts.atStart, facts.programName);
    const std::wstring exactFolder = ExactPath(folder);

    // The tool's own files, each only while it is the very file the tool
    // brought; the program and the library are in use until the end.
    for (const std::wstring& name : {facts.programName, std::wstring(kFeedbackLibraryName), std::wstring(kDeviceToolName)}) {
        const SRemovalEntry* now = Find(facts.now, name);
        if (!now)
            continue;
        const SRemovalEntry* start = Find(facts.atStart, name);
        if (!start || !start->plainFile || !now->plainFile || start->id != now->id)
            plan.kept.push_back({RemovalLog::kChangedSinceStart, now->name});
        else if (SameAsciiNoCase(name, kDeviceToolName))
            plan.removeNow.push_back(*now);
        else
            plan.removeLater.push_back(JoinPath(exactFolder, now->name));
    }

    // What this run wrote: the files of a log folder it made ...
    if (facts.logFolderMadeByRun) {
        const std::vector<std::wstring> logFiles = LogFileNamesWithBackups();
        for (const SRemovalEntry& e : facts.logNow)
            for (const std::wstring& name : logFiles)
                if (e.plainFile && SameAsciiNoCase(e.name, name))
                    plan.logFilesNow.push_back(e);
        plan.logFolderNow = true;
    }
    // ... and, in a folder that was the tool's alone, what came while it ran.
    if (plan.dedicated && !plan.folderProtected) {
        for (const SRemovalEntry& e : facts.now) {
            if (WasThereAtStart(facts.atStart, e) || IsShippedName(e.name, facts.programName) ||
                (facts.logFolderMadeByRun && SameAsciiNoCase(e.name, kLogFolderName)))
                continue;
            if (e.plainFile)
                plan.removeNow.push_back(e);
            else
                plan.kept.push_back({RemovalLog::kNotPlainFile, e.name});
        }
        plan.folderLater = exactFolder;
    }
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

    const std::wstring timeout = Quoted(JoinPath(systemFolder, kWaitToolName));
    auto wait = [&](int seconds) { return timeout + L" /t " + std::to_wstring(seconds) + L" /nobreak >nul"; };
    // del handed a folder, or a link to one, deletes the files inside it: each
    // name goes only while "<name>\*" finds nothing, which is so for a file.
    std::wstring attempt;
    for (const std::wstring& f : plan.removeLater)
        attempt += (attempt.empty() ? L"" : L" & ") + std::wstring(L"(if not exist ") + Quoted(JoinPath(f, L"*")) +
                   L" del /f /q " + Quoted(f) + L" >nul 2>&1)";
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

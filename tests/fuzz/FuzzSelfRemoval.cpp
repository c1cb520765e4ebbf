// The end of a run over hostile folder and file names, paths in every
// spelling and entries that change while the tool runs. Judged by a reading
// of its own: a path taken apart into its kind and its components, and the
// rules of what may go restated over those, never by the functions under test.
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

std::wstring Folded(std::wstring s)
{
    for (wchar_t& c : s)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - 32);
    return s;
}

bool SameNoCase(const std::wstring& a, const std::wstring& b)
{
    return Folded(a) == Folded(b);
}

bool EndsWith(const std::wstring& s, const std::wstring& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// ---- the oracle's reading of a path --------------------------------------

// What a path names: a plain drive path (its drive first among the parts),
// a share, or something the system reaches another way (a volume or a
// device), told apart by the character in its prefix.
struct SPath {
    wchar_t kind = 0;                    // 'D' drive, 'S' share, '?' or '.' device, 'R' relative
    std::vector<std::wstring> parts;     // folded, without empty parts
};

SPath Read(const std::wstring& raw)
{
    std::wstring p = Folded(raw);
    for (wchar_t& c : p)
        if (c == L'/')
            c = L'\\';
    const bool twoInFront = p.size() >= 2 && p[0] == L'\\' && p[1] == L'\\';
    SPath out;
    std::vector<std::wstring> parts;
    for (const std::wstring& part : Split(p, L'\\'))
        if (!part.empty())
            parts.push_back(part);
    auto isDrive = [](const std::wstring& s) { return s.size() == 2 && s[0] >= L'A' && s[0] <= L'Z' && s[1] == L':'; };
    size_t first = 0;
    if (twoInFront && !parts.empty() && (parts[0] == L"?" || parts[0] == L".")) {
        if (parts.size() > 1 && isDrive(parts[1])) {
            out.kind = L'D';
            first = 1;
        } else if (parts.size() > 1 && parts[1] == L"UNC") {
            out.kind = L'S';
            first = 2;
        } else {
            out.kind = parts[0][0];
            first = 1;
        }
    } else if (twoInFront) {
        out.kind = L'S';
    } else if (!parts.empty() && isDrive(parts[0]) && (p.size() == 2 || p[2] == L'\\')) {
        out.kind = L'D';
    } else {
        out.kind = L'R';
    }
    out.parts.assign(parts.begin() + static_cast<long>(first < parts.size() ? first : parts.size()), parts.end());
    return out;
}

bool Same(const SPath& a, const SPath& b)
{
    return a.kind == b.kind && a.parts == b.parts;
}

// a is b, or a folder that holds b.
bool Holds(const SPath& a, const SPath& b)
{
    if (a.kind != b.kind || a.parts.size() > b.parts.size())
        return false;
    for (size_t i = 0; i < a.parts.size(); ++i)
        if (a.parts[i] != b.parts[i])
            return false;
    return true;
}

bool OracleProtected(const std::wstring& folder, const std::vector<std::wstring>& prot,
                     const std::vector<std::wstring>& profiles)
{
    const SPath f = Read(folder);
    if (f.kind != L'D' || f.parts.size() <= 1)
        return true;
    for (const std::wstring& p : prot)
        if (Holds(f, Read(p)))
            return true;
    SPath parent = f;
    parent.parts.pop_back();
    for (const std::wstring& q : profiles) {
        const SPath profile = Read(q);
        if (Holds(f, profile) || Same(parent, profile))
            return true;
    }
    return false;
}

bool BadForInterpreter(const std::wstring& s)
{
    for (wchar_t c : s)
        if (c == L'%' || c == L'!' || c == L'"' || c < 0x20)
            return true;
    return false;
}

bool OneName(const std::wstring& s)
{
    if (s.empty() || s == L"." || s == L"..")
        return false;
    for (wchar_t c : s)
        if (std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos)
            return false;
    return true;
}

bool Shipped(const std::wstring& name, const std::wstring& program)
{
    return SameNoCase(name, program) || SameNoCase(name, L"devcon.exe") ||
           SameNoCase(name, L"TarnexFeedbackInformation.dll");
}

const SRemovalEntry* Named(const std::vector<SRemovalEntry>& entries, const std::wstring& name)
{
    for (const SRemovalEntry& e : entries)
        if (SameNoCase(e.name, name))
            return &e;
    return nullptr;
}

bool Contains(const std::vector<SRemovalEntry>& entries, const SRemovalEntry& e)
{
    for (const SRemovalEntry& x : entries)
        if (x.name == e.name && x.id == e.id && x.plainFile == e.plainFile)
            return true;
    return false;
}

// The tool's own file of that name, unchanged since start.
bool UnchangedShipped(const SSelfRemovalFacts& f, const std::wstring& name)
{
    const SRemovalEntry* start = Named(f.atStart, name);
    const SRemovalEntry* now = Named(f.now, name);
    return start && now && start->plainFile && now->plainFile && start->id == now->id;
}

bool NewSince(const SSelfRemovalFacts& f, const SRemovalEntry& e)
{
    for (const SRemovalEntry& s : f.atStart)
        if (SameNoCase(s.name, e.name) || s.id == e.id)
            return false;
    return !Shipped(e.name, f.programName) && !(f.logFolderMadeByRun && SameNoCase(e.name, L"ToolLog"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte: held (1), held as itself (2), the log folder is this
    // run's (4). Then UTF-16 lines: the started path, the final path at
    // start, the final path now, the program's name, then entries. An
    // entry's first unit says what it is: kind (file, folder, link), when
    // (at start only, now only, both as the same file, both as another
    // file), and whether it lies in the log folder; its name follows.
    const uint8_t flags = data[0];
    const std::vector<std::wstring> lines = Split(WideFromBytes(data + 1, size - 1), L'\n');
    auto line = [&](size_t i) { return i < lines.size() ? lines[i] : std::wstring(); };
    SSelfRemovalFacts f;
    f.held = flags & 1;
    f.heldAsIs = flags & 2;
    f.logFolderMadeByRun = flags & 4;
    f.startedPath = line(0);
    f.finalPathAtStart = line(1);
    f.finalPathNow = line(2);
    f.programName = lines.size() > 3 ? lines[3] : L"Velmora.exe";
    unsigned long long nextId = 1;
    for (size_t i = 4; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        const unsigned code = lines[i][0];
        const SRemovalEntry e{lines[i].substr(1), nextId++, code % 3 == 0};
        const unsigned when = (code / 3) % 4;
        if ((code / 12) % 2) {
            f.logNow.push_back(e);
            continue;
        }
        if (when != 1)
            f.atStart.push_back(e);
        if (when == 2)
            f.now.push_back(e);
        if (when == 1 || when == 3)
            f.now.push_back({e.name, nextId++, e.plainFile});
    }
    f.protectedFolders = {L"C:\\Windows", L"\\\\?\\C:\\Users\\alice\\Downloads", L"D:\\Data\\Documents\\",
                          L"c:/users/alice/desktop"};
    f.profileFolders = {L"C:\\Users\\alice", L"\\\\server\\share\\profiles\\bob", L"\\\\.\\E:\\Profiles\\carol"};

    const SSelfRemovalPlan plan = PlanSelfRemoval(f);

    // The oracle's verdicts.
    const bool safe = f.held && !f.finalPathNow.empty() && !BadForInterpreter(f.finalPathNow) &&
                      OneName(f.programName) && !BadForInterpreter(f.programName);
    const SPath final = Read(f.finalPathNow);
    const bool throughLink =
        !f.heldAsIs || !Same(Read(f.startedPath), final) || !Same(Read(f.finalPathAtStart), final);
    const bool isProtected = throughLink || OracleProtected(f.finalPathNow, f.protectedFolders, f.profileFolders);
    bool dedicated = !f.atStart.empty();
    for (const SRemovalEntry& e : f.atStart)
        dedicated = dedicated && e.plainFile && Shipped(e.name, f.programName);
    const bool arrivalsGo = safe && dedicated && !isProtected;

    FUZZ_CHECK(plan.safe == safe);
    if (!plan.safe) {
        FUZZ_CHECK(plan.removeNow.empty() && plan.removeLater.empty() && plan.folderLater.empty() &&
                   plan.logFilesNow.empty() && !plan.logFolderNow);
        return 0;
    }

    // At once: the device tool as brought, or a plain file that came into a
    // folder that was the tool's alone; and every such file.
    for (const SRemovalEntry& e : plan.removeNow) {
        FUZZ_CHECK(Contains(f.now, e) && e.plainFile);
        FUZZ_CHECK((SameNoCase(e.name, L"devcon.exe") && UnchangedShipped(f, e.name)) ||
                   (arrivalsGo && NewSince(f, e)));
    }
    for (const SRemovalEntry& e : f.now)
        if ((arrivalsGo && e.plainFile && NewSince(f, e)) ||
            (SameNoCase(e.name, L"devcon.exe") && UnchangedShipped(f, e.name) && Named(f.now, e.name) == &e))
            FUZZ_CHECK(Contains(plan.removeNow, e));
    for (const SRemovalEntry& e : plan.logFilesNow) {
        bool logFile = false;
        for (const wchar_t* n : {L"Velmora.txt", L"Velmora.txtbak", L"Quorrant.txt", L"Quorrant.txtbak"})
            logFile = logFile || SameNoCase(e.name, n);
        FUZZ_CHECK(f.logFolderMadeByRun && Contains(f.logNow, e) && e.plainFile && logFile);
    }
    FUZZ_CHECK(plan.logFolderNow == f.logFolderMadeByRun);

    // After the end: the program and the library as brought, each named
    // exactly inside the folder, and the folder only where arrivals go.
    const std::wstring exact = f.finalPathNow.compare(0, 4, L"\\\\?\\") == 0 ? f.finalPathNow : std::wstring();
    for (const std::wstring& p : plan.removeLater) {
        const size_t slash = p.find_last_of(L'\\');
        FUZZ_CHECK(slash != std::wstring::npos);
        const std::wstring name = p.substr(slash + 1);
        FUZZ_CHECK(p.compare(0, 4, L"\\\\?\\") == 0);
        if (final.kind == L'D' || final.kind == L'S')
            FUZZ_CHECK(Same(Read(p.substr(0, slash)), final));
        FUZZ_CHECK((SameNoCase(name, f.programName) || SameNoCase(name, L"TarnexFeedbackInformation.dll")) &&
                   UnchangedShipped(f, name) && Named(f.now, name)->name == name);
    }
    for (const std::wstring& name : {f.programName, std::wstring(L"TarnexFeedbackInformation.dll")}) {
        if (!UnchangedShipped(f, name) || SameNoCase(name, L"devcon.exe"))
            continue;
        bool planned = false;
        for (const std::wstring& p : plan.removeLater)
            planned = planned || (p.size() > name.size() && SameNoCase(p.substr(p.size() - name.size()), name) &&
                                  p[p.size() - name.size() - 1] == L'\\');
        FUZZ_CHECK(planned);
    }
    FUZZ_CHECK(plan.folderLater.empty() != arrivalsGo);
    if (arrivalsGo)
        FUZZ_CHECK(Same(Read(plan.folderLater), final) && plan.folderLater.compare(0, 4, L"\\\\?\\") == 0);
    FUZZ_CHECK(exact.empty() || plan.folderLater.empty() || plan.folderLater == exact);

    // The command names nothing else, hands del only a name guarded against
    // a folder standing there, and removes no folder with what it holds.
    const std::wstring system = L"C:\\Windows\\system32";
    const std::wstring params = SelfRemovalParameters(plan, system);
    if (params.empty())
        return 0;
    FUZZ_CHECK(params.size() <= kMaxRemovalParameterChars);
    FUZZ_CHECK(params.compare(0, 10, L"/D /S /C \"") == 0 && params.back() == L'"');
    FUZZ_CHECK(params.find_first_of(L"%!") == std::wstring::npos);
    FUZZ_CHECK(params.find(L"/s ") == std::wstring::npos && params.find(L"/S ") == params.find(L"/S /C"));
    const std::vector<std::wstring> parts = Split(params.substr(10, params.size() - 11), L'"');
    FUZZ_CHECK(parts.size() % 2 == 1);
    for (size_t i = 1; i < parts.size(); i += 2) {
        const std::wstring& q = parts[i];
        const std::wstring& before = parts[i - 1];
        bool known = q == system + L"\\timeout.exe" || q == plan.folderLater;
        for (const std::wstring& p : plan.removeLater)
            known = known || q == p || q == p + L"\\*";
        FUZZ_CHECK(known);
        if (EndsWith(before, L"rmdir "))
            FUZZ_CHECK(q == plan.folderLater && !q.empty());
        if (EndsWith(before, L"del /f /q "))
            FUZZ_CHECK(i >= 3 && parts[i - 2] == q + L"\\*" && EndsWith(parts[i - 3], L"(if not exist "));
    }
    return 0;
}

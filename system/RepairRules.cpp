#include "system/RepairRules.h"

#include <cctype>

const char* const kListedHardwareIdsA[3] = {
    "PCI\\VEN_10DE&DEV_1AD8",
    "PCI\\VEN_10DE&DEV_1ADA",
    "PCI\\VEN_10DE&DEV_1AEC",
};
const wchar_t* const kListedHardwareIdsW[3] = {
    L"PCI\\VEN_10DE&DEV_1AD8",
    L"PCI\\VEN_10DE&DEV_1ADA",
    L"PCI\\VEN_10DE&DEV_1AEC",
};

std::wstring FirstString(const wchar_t* list, size_t maxChars)
{
    if (!list)
        return {};
    size_t n = 0;
    while (n < maxChars && list[n])
        ++n;
    return std::wstring(list, n);
}

void AddHardwareId(CHardwareIdMap& ids, const std::string& firstId)
{
    if (firstId.size() > 1 && ids.find(firstId) == ids.end())
        ids.insert(std::make_pair(firstId, firstId));
}

bool ChooseListedHardwareId(const CHardwareIdMap& ids, std::wstring& chosen)
{
    for (const auto& entry : ids) {
        for (int i = 0; i < 3; ++i) {
            if (entry.second.find(kListedHardwareIdsA[i]) != std::string::npos) {
                chosen = kListedHardwareIdsW[i];
                return true;
            }
        }
    }
    return false;
}

namespace {

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

// Reads the count at pos; false when there is no number there. Counts beyond
// nine digits are not the device tool's.
bool ReadCount(const std::string& s, size_t& pos, unsigned long& n)
{
    size_t start = pos;
    n = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && pos - start < 9)
        n = n * 10 + static_cast<unsigned long>(s[pos++] - '0');
    return pos > start && (pos == s.size() || !std::isdigit(static_cast<unsigned char>(s[pos])));
}

bool ConfirmsLine(const std::string& line)
{
    size_t pos = 0;
    unsigned long n = 0;
    // "N device(s) disabled." is the whole line.
    if (ReadCount(line, pos, n) && line.compare(pos, std::string::npos, " device(s) disabled.") == 0)
        return n >= 1;
    // "The N device(s) are ready to be disabled." and the advice to restart after it.
    static const std::string kThe = "The ";
    static const std::string kReady = " device(s) are ready to be disabled.";
    if (line.compare(0, kThe.size(), kThe) != 0)
        return false;
    pos = kThe.size();
    if (ReadCount(line, pos, n) && line.compare(pos, kReady.size(), kReady) == 0)
        return n >= 1;
    return false;
}

std::wstring Quoted(const std::wstring& s)
{
    return L"\"" + s + L"\"";
}

// Backslashes only, none at the end, ASCII letters in upper case.
std::wstring Normal(const std::wstring& path)
{
    std::wstring p = path;
    for (wchar_t& c : p) {
        if (c == L'/')
            c = L'\\';
        else if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    }
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

bool Unsafe(const std::wstring& s)
{
    for (wchar_t c : s)
        if (c == L'%' || c == L'!' || c == L'"' || c < 0x20)
            return true;
    return false;
}

}  // namespace

bool DevconConfirmsDisable(const std::string& output)
{
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        if (ConfirmsLine(Trim(output.substr(start, end - start))))
            return true;
        start = end + 1;
    }
    return false;
}

std::wstring DevconDisableCommand(const std::wstring& exeDir, const std::wstring& hardwareId)
{
    return L"cd /d " + Quoted(exeDir) + L" & devcon.exe disable " + Quoted(hardwareId);
}

bool IsProtectedFolder(const std::wstring& folder, const std::vector<std::wstring>& protectedFolders)
{
    std::wstring f = Normal(folder);
    if (IsRoot(f))
        return true;
    for (const std::wstring& p : protectedFolders)
        if (IsSameOrParentOf(f, Normal(p)))
            return true;
    return false;
}

std::wstring SelfRemovalParameters(const std::wstring& folder, const std::wstring& programName,
                                   const std::vector<std::wstring>& protectedFolders)
{
    if (folder.empty() || Unsafe(folder))
        return {};
    const std::wstring wait = L"/C timeout /t 3 /nobreak & ";
    if (!IsProtectedFolder(folder, protectedFolders))
        return wait + L"rmdir /s /q " + Quoted(folder);

    // Only what the tool brought or made: the program, the device tool, the
    // feedback library, and the log folder and configuration of the log kept
    // beside the program.
    if (programName.empty() || Unsafe(programName) || programName.find_first_of(L"\\/:*?") != std::wstring::npos)
        return {};
    std::wstring base = folder;
    if (base.back() != L'\\')
        base += L'\\';
    std::wstring files;
    for (const std::wstring& name :
         {programName, std::wstring(L"devcon.exe"), std::wstring(L"TarnexFeedbackInformation.dll"),
          std::wstring(L"logCfg.ini")})
        files += L" " + Quoted(base + name);
    return wait + L"del /f /q" + files + L" & rmdir /s /q " + Quoted(base + L"ToolLog");
}

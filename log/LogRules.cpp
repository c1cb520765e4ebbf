#include "log/LogRules.h"

#include <climits>
#include <cstdio>
#include <iterator>

#include "base/AsciiRules.h"

std::string FormatLogStamp(const LogTime& t)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "[%04d-%02d-%02d %02d:%02d:%02d %03dms]   ", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return buf;
}

bool LogNeedsRotation(uint64_t fileLength)
{
    return static_cast<uint32_t>(fileLength) > kLogRotateLimit;
}

int LogIniToInt(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;   // saturated; the rest cannot bring it back
    }
    if (negative)
        return value > static_cast<long long>(INT_MAX) ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool LogPrintSwitchOn(const std::wstring& value)
{
    std::wstring v = value.substr(0, kLogIniBufferChars - 1);
    const wchar_t* blanks = L" \t\r\n\v\f";
    size_t first = v.find_first_not_of(blanks);
    if (first == std::wstring::npos)
        return false;
    v = v.substr(first, v.find_last_not_of(blanks) - first + 1);
    return LogIniToInt(v) == 1;
}

std::wstring LogRootWithSeparator(const std::wstring& root)
{
    if (root.empty() || root.back() == L'\\' || root.back() == L'/')
        return root;
    return root + L"\\";
}

std::wstring LogBackupName(const std::wstring& name)
{
    return name + std::wstring(std::begin(kLogBackupSuffix), std::end(kLogBackupSuffix) - 1);
}

std::vector<std::wstring> LogFileNamesWithBackups()
{
    std::vector<std::wstring> names;
    for (const char* file : {kToolLogFile, kDeviceLogFile}) {
        const std::wstring name(file, file + std::char_traits<char>::length(file));   // ASCII
        names.push_back(name);
        names.push_back(LogBackupName(name));
    }
    return names;
}

bool LogFileNameIsPlain(const std::wstring& name)
{
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring::npos;
}

namespace {

bool SameSid(const std::wstring& a, const std::wstring& b)
{
    return !a.empty() && SameAsciiNoCase(a, b);
}

bool IsTrustedAccount(const std::wstring& sid, const std::wstring& runningAccount)
{
    static const wchar_t* const kTrusted[] = {
        L"S-1-5-18",       // SYSTEM
        L"S-1-5-32-544",   // Administrators
        L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",   // TrustedInstaller
    };
    for (const wchar_t* t : kTrusted)
        if (SameSid(sid, t))
            return true;
    return SameSid(sid, runningAccount);
}

}  // namespace

bool LogFolderIsSafe(const SLogFolderSecurity& security, const std::wstring& runningAccount)
{
    if (!IsTrustedAccount(security.owner, runningAccount) || !security.hasAccessList)
        return false;
    for (const SLogAccessEntry& e : security.accessList) {
        if (e.kind == SLogAccessEntry::kDeny)
            continue;   // takes rights away; never lets anyone in
        if (e.kind == SLogAccessEntry::kOther)
            return false;
        // CREATOR OWNER stands for whoever makes something in the folder,
        // which only a trusted account can.
        if (IsTrustedAccount(e.sid, runningAccount) || SameSid(e.sid, L"S-1-3-0"))
            continue;
        if (e.mask & ~kLogReadOnlyRights)
            return false;
    }
    return true;
}

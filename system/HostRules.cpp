#include "system/HostRules.h"

#include <algorithm>

// ---- Windows version -------------------------------------------------------

EWindowsClass ClassifyWindowsVersion(unsigned long major, unsigned long minor)
{
    struct Row { unsigned long major, minor; EWindowsClass cls; };
    static const Row kTable[] = {
        {5, 0, EWindowsClass::Refused},    // Windows 2000
        {5, 1, EWindowsClass::Refused},    // Windows XP
        {5, 2, EWindowsClass::Refused},    // Windows 2003
        {6, 0, EWindowsClass::Refused},    // Windows Vista
        {6, 1, EWindowsClass::Refused},    // Windows 7
        {6, 2, EWindowsClass::Refused},    // Windows 8
        {6, 3, EWindowsClass::Refused},    // Windows 8.1
        {10, 0, EWindowsClass::Supported}, // Windows 10 (and 11, which records 10.0 too)
    };
    for (const Row& r : kTable)
        if (r.major == major && r.minor == minor)
            return r.cls;
    return EWindowsClass::Unlisted;
}

bool NamesWindows11(const std::wstring& osQueryText)
{
    return osQueryText.find(L"Windows 11") != std::wstring::npos;
}

bool IsWindows11Build(unsigned long build)
{
    return build >= 22000;
}

std::wstring OsTextFromBuild(unsigned long build)
{
    return std::wstring(IsWindows11Build(build) ? L"Microsoft Windows 11" : L"Microsoft Windows") +
           L" build " + std::to_wstring(build);
}

bool IsSupportedWindows(unsigned long major, unsigned long minor,
                        const std::function<bool(std::wstring& text)>& runOsQuery)
{
    switch (ClassifyWindowsVersion(major, minor)) {
    case EWindowsClass::Supported:
        return true;
    case EWindowsClass::Refused:
        return false;
    case EWindowsClass::Unlisted:
        break;
    }
    std::wstring text;
    return runOsQuery && runOsQuery(text) && NamesWindows11(text);
}

// ---- Machine model ---------------------------------------------------------

const char* const kAcceptedModels[3] = {
    "KESTRA Q5 31XRV05",
    "MARUVELLINE TOR4100-31XRV",
    "MARUVELLINE TOR4100K-31XRV",
};

int CutModelValue(const std::string& answer, std::string& value)
{
    static const std::string kKey = "Version=";
    size_t key = answer.find(kKey);
    if (key == std::string::npos)
        return kModelNotFound;
    size_t start = key + kKey.size();
    size_t end = answer.find("\r\n", start);
    if (end == std::string::npos)
        return kModelNoLineEnd;
    value = answer.substr(start, end - start);
    return kModelAccepted;
}

namespace {
bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }
bool IsSpace(char c) { return c == ' '; }

template <typename Pred>
void TrimLeft(std::string& s, Pred pred)
{
    size_t n = 0;
    while (n < s.size() && pred(s[n]))
        ++n;
    s.erase(0, n);
}

template <typename Pred>
void TrimRight(std::string& s, Pred pred)
{
    while (!s.empty() && pred(s.back()))
        s.pop_back();
}
}  // namespace

std::string TrimModelValue(const std::string& value)
{
    std::string s = value;
    TrimLeft(s, IsSpace);
    TrimLeft(s, IsLineBreak);
    TrimRight(s, IsSpace);
    TrimRight(s, IsLineBreak);
    return s;
}

std::string UpperAscii(const std::string& value)
{
    std::string s = value;
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

int FindAcceptedModel(const std::string& upperValue)
{
    for (int i = 0; i < 3; ++i)
        if (upperValue.find(kAcceptedModels[i]) != std::string::npos)
            return i;
    return -1;
}

int CheckModelAnswer(bool ran, const std::string& answer)
{
    if (!ran)
        return kModelQueryFailed;
    std::string value;
    int cut = CutModelValue(answer, value);
    if (cut != kModelAccepted)
        return cut;
    return FindAcceptedModel(UpperAscii(TrimModelValue(value))) >= 0 ? kModelAccepted : kModelMismatch;
}

const char* ModelCheckLogMessage(int code)
{
    switch (code) {
    case kModelMismatch: return "当前机型不是指定机型";
    case kModelNoLineEnd: return "解析机型失败";
    case kModelNotFound: return "未找到机型信息";
    case kModelQueryFailed: return "获取机型信息失败";
    default: return nullptr;
    }
}

EHostResult HostResultOfModelCheck(int code)
{
    switch (code) {
    case kModelMismatch: return EHostResult::ModelMismatch;
    case kModelNoLineEnd: return EHostResult::ModelNoLineEnd;
    case kModelNotFound: return EHostResult::ModelNotFound;
    default: return EHostResult::ModelQueryFailed;
    }
}

// ---- Interpreter command line ----------------------------------------------

std::string CommandTimeoutLogMessage(const std::string& commandUtf8, unsigned long secondsWaited)
{
    return "命令等待 " + std::to_string(secondsWaited) + " 秒仍未结束，已被终止：" + commandUtf8;
}

// ---- SMBIOS ----------------------------------------------------------------

namespace {
const size_t kRawHeaderSize = 8;        // calling method, major, minor, DMI revision, length
const size_t kRecordHeaderSize = 4;     // type, length, handle
const uint8_t kTypeSystemInfo = 1;
const uint8_t kTypeEndOfTable = 127;
const size_t kSystemVersionOffset = 6;  // string index of Version in the system-information record
}  // namespace

ESmbiosResult ReadSmbiosSystemVersion(const uint8_t* data, size_t size, std::string& version)
{
    if (!data || size < kRawHeaderSize)
        return ESmbiosResult::BadTable;
    uint32_t declared = static_cast<uint32_t>(data[4]) | (static_cast<uint32_t>(data[5]) << 8) |
                        (static_cast<uint32_t>(data[6]) << 16) | (static_cast<uint32_t>(data[7]) << 24);
    const uint8_t* t = data + kRawHeaderSize;
    const size_t len = std::min(static_cast<size_t>(declared), size - kRawHeaderSize);

    size_t p = 0;
    while (len - p >= kRecordHeaderSize) {
        const uint8_t type = t[p];
        const size_t formatted = t[p + 1];
        if (formatted < kRecordHeaderSize || formatted > len - p)
            break;
        // The string set ends at the first pair of NULs after the formatted area.
        size_t end = p + formatted;
        while (end + 1 < len && !(t[end] == 0 && t[end + 1] == 0))
            ++end;
        if (end + 1 >= len)
            break;   // unterminated: the record runs off the table
        if (type == kTypeSystemInfo) {
            version.clear();
            size_t index = formatted > kSystemVersionOffset ? t[p + kSystemVersionOffset] : 0;
            size_t s = p + formatted;
            for (size_t i = 1; index != 0 && s < end; ++i) {
                size_t e = s;
                while (e < end && t[e] != 0)
                    ++e;
                if (i == index) {
                    version.assign(reinterpret_cast<const char*>(t + s), e - s);
                    break;
                }
                s = e + 1;
            }
            return ESmbiosResult::Found;
        }
        if (type == kTypeEndOfTable)
            break;
        p = end + 2;
    }
    return ESmbiosResult::NoSystemInfo;
}

int CheckModelFromSmbios(bool tableRead, const uint8_t* data, size_t size)
{
    if (!tableRead)
        return kModelQueryFailed;
    std::string version;
    switch (ReadSmbiosSystemVersion(data, size, version)) {
    case ESmbiosResult::BadTable:
        return kModelQueryFailed;
    case ESmbiosResult::NoSystemInfo:
        return kModelNotFound;
    case ESmbiosResult::Found:
        break;
    }
    return CheckModelAnswer(true, "Version=" + version + "\r\n");
}

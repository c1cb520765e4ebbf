#include "app/OneRunRules.h"

namespace {
const unsigned long kNotSupported = 50;         // ERROR_NOT_SUPPORTED
const unsigned long kCallNotImplemented = 120;  // ERROR_CALL_NOT_IMPLEMENTED

std::string Ascii(const std::wstring& s)
{
    std::string out;
    for (wchar_t c : s)
        out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    return out;
}
}  // namespace

EMarkPlace MarkPlaceFor(bool namespaceReady, unsigned long error)
{
    if (namespaceReady)
        return EMarkPlace::PrivateNamespace;
    // A stub answers with one of these, or with no error at all.
    if (error == 0 || error == kCallNotImplemented || error == kNotSupported)
        return EMarkPlace::GlobalName;
    return EMarkPlace::None;
}

bool MarkIsAnotherRuns(const std::wstring& ownerSid)
{
    return ownerSid == L"S-1-5-32-544" || ownerSid == L"S-1-5-18";
}

std::string IgnoredMarkLogLine(const std::wstring& name, const std::wstring& ownerSid)
{
    const std::string owner = ownerSid.empty() ? "所有者无法读取" : "所有者 " + Ascii(ownerSid);
    return "单次运行标记 " + Ascii(name) + " 不属于管理员或 SYSTEM（" + owner + "），已忽略";
}

#include "app/OneRunRules.h"

#include "base/AsciiRules.h"

namespace {
const unsigned long kNotSupported = 50;         // ERROR_NOT_SUPPORTED
const unsigned long kCallNotImplemented = 120;  // ERROR_CALL_NOT_IMPLEMENTED
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
    const std::string owner = ownerSid.empty() ? "所有者无法读取" : "所有者 " + PrintableAscii(ownerSid);
    return "单次运行标记 " + PrintableAscii(name) + " 不属于管理员或 SYSTEM（" + owner + "），已忽略";
}

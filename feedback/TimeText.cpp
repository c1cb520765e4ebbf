#include "feedback/TimeText.h"

#include <cwchar>

std::wstring FormatFeedbackTime(int64_t secondsSince1970)
{
    const auto low = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(secondsSince1970) & 0xFFFFFFFFu));
    wchar_t buf[16];
    std::swprintf(buf, 16, L"%d", static_cast<int>(low));
    return buf;
}

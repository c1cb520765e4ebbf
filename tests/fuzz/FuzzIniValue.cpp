// The "print" value of logCfg.ini as the profile reader returns it: any wide
// text, any length. Logging is on exactly for a value that reads as 1.
#include <cstdint>
#include <string>

#include "log/LogRules.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

bool Blank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool Digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// What the switch must say, worked out without the integer conversion: after
// the cut and the blanks, an optional '+', any zeros, a single 1, then no digit.
bool ExpectedOn(const std::wstring& raw)
{
    std::wstring v = raw.substr(0, kLogIniBufferChars - 1);
    size_t i = 0;
    while (i < v.size() && Blank(v[i]))
        ++i;
    if (i < v.size() && v[i] == L'+')
        ++i;
    while (i < v.size() && v[i] == L'0')
        ++i;
    if (i >= v.size() || v[i] != L'1')
        return false;
    ++i;
    return i >= v.size() || !Digit(v[i]);
}

// Saturating decimal prefix, worked out from the digit count.
long long ExpectedInt(const std::wstring& v)
{
    size_t i = 0;
    while (i < v.size() && Blank(v[i]))
        ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == L'+' || v[i] == L'-'))
        negative = v[i++] == L'-';
    while (i < v.size() && v[i] == L'0')
        ++i;
    size_t start = i;
    while (i < v.size() && Digit(v[i]))
        ++i;
    if (i - start > 10)
        return negative ? INT32_MIN : INT32_MAX;
    long long n = 0;
    for (size_t k = start; k < i; ++k)
        n = n * 10 + (v[k] - L'0');
    if (negative)
        n = -n;
    if (n > INT32_MAX)
        return INT32_MAX;
    if (n < INT32_MIN)
        return INT32_MIN;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Both readings: UTF-16 code units, and bytes widened one by one.
    const std::wstring wide = WideFromBytes(data, size);
    const std::wstring widened(data, data + size);
    for (const std::wstring& v : {wide, widened}) {
        FUZZ_CHECK(LogPrintSwitchOn(v) == ExpectedOn(v));
        FUZZ_CHECK(LogIniToInt(v) == ExpectedInt(v));
        const std::wstring root = LogRootWithSeparator(v);
        if (v.empty()) {
            FUZZ_CHECK(root.empty());
        } else {
            FUZZ_CHECK(root.compare(0, v.size(), v) == 0);
            FUZZ_CHECK(root.back() == L'\\' || root.back() == L'/');
            FUZZ_CHECK(root.size() <= v.size() + 1);
        }
    }
    return 0;
}

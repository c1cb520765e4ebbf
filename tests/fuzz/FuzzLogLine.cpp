// The log line stamp for any clock value, and the rotation test for any file
// length: the stamp never overruns, a real clock value gives the fixed layout.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "log/LogRules.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int32_t f[7] = {};
    std::memcpy(f, data, size < sizeof f ? size : sizeof f);
    const LogTime any{f[0], f[1], f[2], f[3], f[4], f[5], f[6]};
    const std::string stamp = FormatLogStamp(any);
    FUZZ_CHECK(stamp.size() >= 30);
    FUZZ_CHECK(stamp.front() == '[');
    FUZZ_CHECK(stamp.compare(stamp.size() - 6, 6, "ms]   ") == 0);

    // The same bytes folded into a clock's ranges.
    auto fold = [](int32_t v, int lo, int hi) { return lo + static_cast<int>(static_cast<uint32_t>(v) % (hi - lo + 1)); };
    const LogTime clock{fold(f[0], 1601, 9999), fold(f[1], 1, 12), fold(f[2], 1, 31), fold(f[3], 0, 23),
                        fold(f[4], 0, 59),      fold(f[5], 0, 59), fold(f[6], 0, 999)};
    const std::string s = FormatLogStamp(clock);
    FUZZ_CHECK(s.size() == 30);
    int y, mo, d, h, mi, se, ms;
    FUZZ_CHECK(std::sscanf(s.c_str(), "[%4d-%2d-%2d %2d:%2d:%2d %3dms", &y, &mo, &d, &h, &mi, &se, &ms) == 7);
    FUZZ_CHECK(y == clock.year && mo == clock.month && d == clock.day && h == clock.hour && mi == clock.minute &&
               se == clock.second && ms == clock.millisecond);
    FUZZ_CHECK(s.compare(26, 4, "]   ") == 0 && s[5] == '-' && s[11] == ' ' && s[14] == ':' && s[20] == ' ');

    uint64_t length = 0;
    if (size > sizeof f)
        std::memcpy(&length, data + sizeof f, size - sizeof f < sizeof length ? size - sizeof f : sizeof length);
    FUZZ_CHECK(LogNeedsRotation(length) == ((length & 0xFFFFFFFFu) > 6020000u));
    return 0;
}

// The log line stamp for any clock value, the rotation test for any file
// length, and the judgement of any log folder's owner and access list: the
// stamp never overruns, a real clock value gives the fixed layout, and a
// folder is safe exactly when an account outside the trusted few can change
// nothing in it, whatever the order of its entries.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

    // The rest: an owner, then entries of (account, kind, mask).
    const size_t used = sizeof f + sizeof length;
    if (size <= used)
        return 0;
    struct Account { const wchar_t* sid; bool trusted; bool mayWrite; };
    static const Account accounts[] = {
        {L"S-1-5-18", true, true},
        {L"S-1-5-32-544", true, true},
        {L"s-1-5-32-544", true, true},
        {L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", true, true},
        {L"S-1-5-21-7-7-7-1001", true, true},   // the running account
        {L"S-1-3-0", false, true},              // CREATOR OWNER: may write, owns nothing
        {L"S-1-5-32-545", false, false},
        {L"S-1-1-0", false, false},
        {L"S-1-5-21-7-7-7-1002", false, false},
        {L"S-1-5-18-1", false, false},
        {L"", false, false},
    };
    const size_t count = sizeof accounts / sizeof accounts[0];
    const uint8_t* p = data + used;
    const size_t left = size - used;
    const Account& owner = accounts[p[0] % count];
    SLogFolderSecurity security{owner.sid, (p[0] & 0x80) == 0, {}};
    bool oracle = owner.trusted && security.hasAccessList;
    for (size_t i = 1; i + 6 <= left; i += 6) {
        const Account& who = accounts[p[i] % count];
        uint32_t mask;
        std::memcpy(&mask, p + i + 2, sizeof mask);
        const auto kind = static_cast<SLogAccessEntry::Kind>(p[i + 1] % 3);
        security.accessList.push_back({who.sid, mask, p[i + 1], kind});
        // Rights that read: list, read data, extended attributes, attributes
        // and permissions, traverse, synchronise, generic read and execute.
        const uint32_t reads = 0x1u | 0x8u | 0x20u | 0x80u | 0x20000u | 0x100000u | 0x80000000u | 0x20000000u;
        if (kind == SLogAccessEntry::kOther || (kind == SLogAccessEntry::kAllow && !who.mayWrite && (mask & ~reads)))
            oracle = false;
    }
    const std::wstring running = L"S-1-5-21-7-7-7-1001";
    const bool safe = LogFolderIsSafe(security, running);
    FUZZ_CHECK(safe == oracle);
    SLogFolderSecurity reordered = security;
    std::reverse(reordered.accessList.begin(), reordered.accessList.end());
    FUZZ_CHECK(LogFolderIsSafe(reordered, running) == safe);
    // An entry taken away never makes a safe folder unsafe.
    if (safe && !security.accessList.empty()) {
        security.accessList.pop_back();
        FUZZ_CHECK(LogFolderIsSafe(security, running));
    }

    // A plain log file name stays plain with its backup ending.
    const std::wstring name = WideFromBytes(p, left);
    if (LogFileNameIsPlain(name)) {
        FUZZ_CHECK(!name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." && name != L"..");
        FUZZ_CHECK(LogFileNameIsPlain(name + L"bak"));
    }
    return 0;
}

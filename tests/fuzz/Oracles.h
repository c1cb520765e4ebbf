// Reference readings for the fuzz targets, written from the documented rules
// and sharing no code with the rules they judge: a property compares what the
// code under test says with what these say.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace oracle {

// ---- the model query's answer ------------------------------------------------

// The machine models the tool was made for, in the order they are tried.
inline const std::vector<std::string>& AcceptedModels()
{
    static const std::vector<std::string> models = {"KESTRA Q5 31XRV05", "MARUVELLINE TOR4100-31XRV",
                                                    "MARUVELLINE TOR4100K-31XRV"};
    return models;
}

// Each step of the model part: the value cut out, trimmed, upper-cased, the
// model found (-1: none) and the result code (0 accepted, 2 no model, 3 no line
// end after the value, 4 no "Version=").
struct ModelReading {
    int code = 4;
    std::string cut, trimmed, upper;
    int model = -1;
};

inline ModelReading ReadModelAnswer(const std::string& answer)
{
    ModelReading r;
    const std::string key = "Version=";
    size_t at = std::string::npos;
    for (size_t i = 0; i + key.size() <= answer.size(); ++i)
        if (answer.compare(i, key.size(), key) == 0) {
            at = i;
            break;
        }
    if (at == std::string::npos)
        return r;
    const std::string rest = answer.substr(at + key.size());
    size_t end = std::string::npos;
    for (size_t i = 0; i + 1 < rest.size(); ++i)
        if (rest[i] == '\r' && rest[i + 1] == '\n') {
            end = i;
            break;
        }
    if (end == std::string::npos) {
        r.code = 3;
        return r;
    }
    r.cut = rest.substr(0, end);

    // Four steps, each taking only its own characters.
    std::string v = r.cut;
    while (!v.empty() && v.front() == ' ')
        v.erase(0, 1);
    while (!v.empty() && (v.front() == '\r' || v.front() == '\n'))
        v.erase(0, 1);
    while (!v.empty() && v.back() == ' ')
        v.pop_back();
    while (!v.empty() && (v.back() == '\r' || v.back() == '\n'))
        v.pop_back();
    r.trimmed = v;

    for (char c : v)
        r.upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);

    for (size_t m = 0; m < AcceptedModels().size() && r.model < 0; ++m)
        if (r.upper.find(AcceptedModels()[m]) != std::string::npos)
            r.model = static_cast<int>(m);
    r.code = r.model >= 0 ? 0 : 2;
    return r;
}

// ---- the SMBIOS table ------------------------------------------------------------

// What a walk of the raw table finds: 0 the system-information record (version
// holds its Version string), 1 none, 2 too short for the 8-byte header.
struct SmbiosReading {
    int result = 2;
    std::string version;
};

// The raw form: calling method, major, minor, DMI revision, the table's length
// (32 bits, little-endian), then the table, of which only the declared part
// that is there counts. A record: type, formatted length (at least 4, within
// the table), handle, the rest of the formatted area, then its strings, each
// closed by a NUL, the set closed by one more NUL (two NULs when it has no
// string); a set not closed within the table ends the walk, as does type 127.
// The Version string's number is at offset 6; 0, or a number beyond the
// strings, gives an empty version.
inline SmbiosReading ReadSmbios(const std::vector<uint8_t>& raw)
{
    SmbiosReading r;
    if (raw.size() < 8)
        return r;
    r.result = 1;
    const uint64_t declared = raw[4] | (raw[5] << 8) | (raw[6] << 16) | (static_cast<uint64_t>(raw[7]) << 24);
    const std::vector<uint8_t> table(raw.begin() + 8,
                                     raw.begin() + 8 + static_cast<std::ptrdiff_t>(std::min<uint64_t>(declared, raw.size() - 8)));
    size_t at = 0;
    while (table.size() - at >= 4) {
        const uint8_t type = table[at];
        const size_t formatted = table[at + 1];
        if (formatted < 4 || at + formatted > table.size())
            break;
        // The string set ends at the first two NULs in a row after the
        // formatted area; the strings are what lies before them, cut at each NUL.
        const uint8_t pair[2] = {0, 0};
        const auto setEnd = std::search(table.begin() + static_cast<std::ptrdiff_t>(at + formatted), table.end(),
                                        pair, pair + 2);
        if (setEnd == table.end())
            break;
        std::vector<std::string> strings;
        const std::string set(table.begin() + static_cast<std::ptrdiff_t>(at + formatted), setEnd);
        for (size_t from = 0; !set.empty() && from <= set.size();) {
            const size_t nul = std::min(set.find('\0', from), set.size());
            strings.push_back(set.substr(from, nul - from));
            from = nul + 1;
        }
        const size_t pos = static_cast<size_t>(setEnd - table.begin()) + 2;
        if (type == 1) {
            r.result = 0;
            const size_t index = formatted > 6 ? table[at + 6] : 0;
            if (index >= 1 && index <= strings.size())
                r.version = strings[index - 1];
            return r;
        }
        if (type == 127)
            break;
        at = pos;
    }
    return r;
}

// ---- the device tool's answer ----------------------------------------------------

// A line (split at LF, blanks, tabs and CRs taken off both ends) that is
// "N device(s) disabled." or begins "The N device(s) are ready to be
// disabled.", with N one to nine digits and not zero, confirms the disabling.
inline bool DevconConfirms(const std::string& output)
{
    auto count = [](const std::string& digits) {
        if (digits.empty() || digits.size() > 9)
            return false;
        for (char c : digits)
            if (c < '0' || c > '9')
                return false;
        return digits.find_first_not_of('0') != std::string::npos;
    };
    auto digitsAt = [](const std::string& s, size_t from) {
        size_t to = from;
        while (to < s.size() && s[to] >= '0' && s[to] <= '9')
            ++to;
        return s.substr(from, to - from);
    };
    size_t start = 0;
    while (start <= output.size()) {
        size_t lf = output.find('\n', start);
        std::string line = output.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        const std::string blanks = " \t\r";
        const size_t first = line.find_first_not_of(blanks);
        line = first == std::string::npos ? std::string() : line.substr(first, line.find_last_not_of(blanks) - first + 1);

        const std::string now = " device(s) disabled.";
        if (line.size() > now.size() && line.compare(line.size() - now.size(), now.size(), now) == 0 &&
            count(line.substr(0, line.size() - now.size())))
            return true;
        const std::string the = "The ", ready = " device(s) are ready to be disabled.";
        if (line.compare(0, the.size(), the) == 0) {
            const std::string n = digitsAt(line, the.size());
            if (count(n) && line.compare(the.size() + n.size(), ready.size(), ready) == 0)
                return true;
        }
        if (lf == std::string::npos)
            break;
        start = lf + 1;
    }
    return false;
}

// ---- the command line ----------------------------------------------------------------

// Characters the interpreter would read as something else in a quoted path:
// % and ! expand, a quote or a control character ends the quoted text.
inline bool InterpreterWouldChange(const std::wstring& s)
{
    for (wchar_t c : s)
        if (c == L'%' || c == L'!' || c == L'"' || c < 0x20)
            return true;
    return false;
}

// The longest line the interpreter is given, and what goes around a command
// on it: cmd /D /S /C "<command>".
const size_t kLongestLine = 1023;
inline std::wstring InterpreterLine(const std::wstring& command)
{
    return L"cmd /D /S /C \"" + command + L"\"";
}

}  // namespace oracle

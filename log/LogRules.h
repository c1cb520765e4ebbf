// The rules of the log that need no file: the line stamp, the rotation limit,
// the "print" switch of logCfg.ini and the log root.
#pragma once
#include <cstdint>
#include <string>

// A local date and time as the clock gives it.
struct LogTime {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
    int millisecond;
};

// "[yyyy-mm-dd hh:mm:ss mmmms]" followed by three blanks.
std::string FormatLogStamp(const LogTime& t);

// A log file is moved to its backup once it is larger than this many bytes.
constexpr uint32_t kLogRotateLimit = 6020000;
// Only the low 32 bits of the length count, taken as unsigned.
bool LogNeedsRotation(uint64_t fileLength);

// The profile value is read into a buffer of this many wide characters.
constexpr size_t kLogIniBufferChars = 100;
// Decimal prefix of text: optional sign, then digits; 0 when there are none.
// Values beyond the int range stop at INT_MAX / INT_MIN.
int LogIniToInt(const std::wstring& text);
// The value of key "print" as read (before the buffer cut): cut to what the
// buffer holds, trimmed, converted; logging is on exactly for 1.
bool LogPrintSwitchOn(const std::wstring& value);

// The root a log front end uses for an override: a separator is added when
// the folder does not end in one. An empty root stays empty.
std::wstring LogRootWithSeparator(const std::wstring& root);

// The rules of the log that need no file: the line stamp, the rotation limit,
// the "print" switch of logCfg.ini, the log root, which names a log file may
// have and which log folders are safe to write in.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

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

// The tool's log files, named here and nowhere else: the flow's own, where
// every failure goes, and the one the device step writes under the program
// folder. Each has one backup, named with kLogBackupSuffix appended.
constexpr char kToolLogFile[] = "Velmora.txt";
constexpr char kDeviceLogFile[] = "Quorrant.txt";
constexpr char kLogBackupSuffix[] = "bak";

// The backup of a log file: "Velmora.txt" -> "Velmora.txtbak".
std::wstring LogBackupName(const std::wstring& name);

// Every log file the tool may write, and each one's backup.
std::vector<std::wstring> LogFileNamesWithBackups();

// A log file is named by one plain name inside the log folder: not empty, not
// "." or "..", no separator (nothing that reaches into another folder) and no
// stream separator.
bool LogFileNameIsPlain(const std::wstring& name);

// One entry of a folder's access list, as the system gives it.
struct SLogAccessEntry {
    enum Kind { kAllow, kDeny, kOther };
    std::wstring sid;     // "S-1-5-32-545"
    uint32_t mask = 0;    // access rights
    uint32_t flags = 0;   // inheritance flags
    Kind kind = kOther;   // kOther: a kind of entry this rule does not know
};

// Who owns a folder and who may do what in it.
struct SLogFolderSecurity {
    std::wstring owner;                       // SID string; empty when unknown
    bool hasAccessList = false;               // false: no list at all, everyone may do everything
    std::vector<SLogAccessEntry> accessList;
};

// Rights that only read: listing, reading data, attributes, extended
// attributes and the descriptor, traversing, waiting. Every other right lets
// its holder change the folder or what is in it.
constexpr uint32_t kLogReadOnlyRights = 0x00000001u | 0x00000008u | 0x00000020u | 0x00000080u | 0x00020000u |
                                        0x00100000u | 0x80000000u | 0x20000000u;

// Entries go into a log folder only when it belongs to SYSTEM, Administrators,
// TrustedInstaller or the running account, and nobody else may change what is
// in it: no allowing entry (whether it applies to the folder itself or is only
// passed on to what is made in it) grants anything beyond reading to another
// account or group. Otherwise someone else could put a link or another file
// under a log file's name, or swap the folder, and have the tool write there.
bool LogFolderIsSafe(const SLogFolderSecurity& security, const std::wstring& runningAccount);

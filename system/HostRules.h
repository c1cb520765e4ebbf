// The rules by which the tool decides whether it runs on a PC it was made for:
// the Windows version classification, the model text parser and matcher, the
// line logged for a command that outlived its limit and the reading of the
// SMBIOS system-information record.
// No window, no handle: the Win32 side gathers the inputs and acts on the answers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ---- Windows version -------------------------------------------------------

enum class EWindowsClass { Supported, Refused, Unlisted };

// Exact match of the (major, minor) pair the system records for the process.
EWindowsClass ClassifyWindowsVersion(unsigned long major, unsigned long minor);

// The answer of the OS query names Windows 11 (case-sensitive).
bool NamesWindows11(const std::wstring& osQueryText);

// Windows 11 starts at build 22000.
bool IsWindows11Build(unsigned long build);

// Where the OS query is not available: a text naming the system from its build
// number, in the words the query would use.
std::wstring OsTextFromBuild(unsigned long build);

// The whole version check. runOsQuery is asked only for an unlisted pair; it
// returns false when the query could not be run, else true with its text.
bool IsSupportedWindows(unsigned long major, unsigned long minor,
                        const std::function<bool(std::wstring& text)>& runOsQuery);

// ---- Result of the host check ----------------------------------------------

// What the host check found. The window hears it as the designed code of its
// message (see ResultCodes.h).
enum class EHostResult {
    Accepted,               // an accepted model and a listed graphics function
    ModelMismatch,
    ModelNoLineEnd,
    ModelNotFound,
    ModelQueryFailed,
    DeviceListFailed,
    NoListedDevice,
};

// ---- Machine model ---------------------------------------------------------

// Outcome of the model part of the host check: accepted, or the failure the
// host check then reports (HostResultOfModelCheck), numbered as that
// result's designed code.
enum EModelCheck {
    kModelAccepted = 0,
    kModelMismatch = 2,      // none of the accepted models in the value
    kModelNoLineEnd = 3,     // no CR LF after the value
    kModelNotFound = 4,      // no "Version=" in the answer
    kModelQueryFailed = 5,   // the query could not be run
};

extern const char* const kAcceptedModels[3];

// Cuts the value out of the model query's answer: the text after the first
// "Version=" up to the first CR LF after it, not yet trimmed. Returns
// kModelAccepted when a value was cut out, else kModelNotFound/kModelNoLineEnd.
[[nodiscard]] int CutModelValue(const std::string& answer, std::string& value);

// Leading spaces, then leading CR/LF, then trailing spaces, then trailing CR/LF.
std::string TrimModelValue(const std::string& value);

// a-z become A-Z, every other byte stays.
std::string UpperAscii(const std::string& value);

// Index into kAcceptedModels of the first model found in the value, or -1.
int FindAcceptedModel(const std::string& upperValue);

// The whole model part: ran is the runner's result, answer what it collected.
int CheckModelAnswer(bool ran, const std::string& answer);

// The log line of a model outcome (UTF-8), or nullptr for kModelAccepted.
const char* ModelCheckLogMessage(int code);

// What a model outcome other than kModelAccepted comes to as the host check's
// result; anything else that is no model outcome counts as a query that failed.
EHostResult HostResultOfModelCheck(int code);

// ---- A command's time limit -------------------------------------------------

// The line logged after a command's own failure line when the command outlived
// the runner's limit and was ended, so a support technician can tell a hung
// command from one that could not start. commandUtf8 is the command as run.
std::string CommandTimeoutLogMessage(const std::string& commandUtf8, unsigned long secondsWaited);

// ---- SMBIOS ----------------------------------------------------------------

enum class ESmbiosResult {
    Found,          // a system-information record was found; version holds its Version string
    NoSystemInfo,   // the table holds no (complete) system-information record
    BadTable,       // the buffer is too short for the table header
};

// Reads the Version string of the first system-information (type 1) record of a
// raw SMBIOS table as the firmware table service returns it (8-byte header:
// calling method, major, minor, DMI revision, 32-bit table length; then the
// table). Never reads outside [data, data + size). A Version string index of 0,
// or one beyond the record's strings, yields an empty version.
[[nodiscard]] ESmbiosResult ReadSmbiosSystemVersion(const uint8_t* data, size_t size, std::string& version);

// The model part fed from the SMBIOS table instead of the model query: the
// Version string goes through the same parser as "Version=<text>\r\n".
// tableRead false (the table could not be read) or a bad table gives
// kModelQueryFailed; a table without a system-information record kModelNotFound.
int CheckModelFromSmbios(bool tableRead, const uint8_t* data, size_t size);

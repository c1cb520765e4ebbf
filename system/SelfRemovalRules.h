// What the tool may take away when a run ends, decided without a window or a
// handle: which folders are never removed or cleared, which entries of the
// program folder are the tool's, and the text of the hidden command that
// finishes the job once the program has ended.
//
// The program folder is held open from the start, so the facts below are
// what its handle says, not what a path says now. The tool's own files go:
// the device tool and the log files of a log folder this run made at once, by
// handle; the program and the feedback library (mapped until the process
// ends) by a command the desktop's shell starts after the end, with the
// signed-in user's rights. Only a folder that held nothing but the tool's
// files at start, reached without a link and not one people keep things in,
// loses the plain files that came while the tool ran, and then itself if
// nothing else is left. Nothing else is ever deleted.
#pragma once
#include <string>
#include <vector>

#include "system/CommandLines.h"

// The files shipped beside the program: the device tool (kDeviceToolName,
// CommandLines.h) and the feedback library.
extern const wchar_t* const kFeedbackLibraryName;   // TarnexFeedbackInformation.dll
// The log folder a log front end makes under its root (the files it writes
// there are named in log/LogRules.h).
extern const wchar_t* const kLogFolderName;          // ToolLog

// A folder people keep things in, or one the removal cannot be sure of:
// anything but a plain drive path (a share, \\localhost\C$, a volume GUID
// path, \\?\GLOBALROOT, ...) and a drive root; one of protectedFolders
// (system and known folders) or a folder that holds one; a profile folder of
// any account, a folder that holds one, or a first-level folder of one
// (another account's Desktop, whatever it is called). Paths may be spelled
// plainly or with \\?\, \\.\ or \\?\UNC\ in front.
bool IsProtectedFolder(const std::wstring& folder, const std::vector<std::wstring>& protectedFolders,
                       const std::vector<std::wstring>& profileFolders);

// One entry of a folder as its handle lists it.
struct SRemovalEntry {
    std::wstring name;               // exactly as listed
    unsigned long long id = 0;       // the file's index on its volume
    bool plainFile = false;          // neither a folder nor a link
};

// What the removal knows when the run ends.
struct SSelfRemovalFacts {
    bool held = false;                       // the folder was opened at start and held since
    bool heldAsIs = false;                   // ... as itself, not by following a link at its name
    std::wstring startedPath;                // the folder as the program was started from it (long form)
    std::wstring finalPathAtStart;           // where the held folder was, as the system resolves it
    std::wstring finalPathNow;               // ... and is now
    std::wstring programName;                // the program's file name
    std::vector<SRemovalEntry> atStart;      // the folder's entries at start
    std::vector<SRemovalEntry> now;          // ... and now
    bool logFolderMadeByRun = false;         // <folder>\ToolLog is the very folder this run made
    std::vector<SRemovalEntry> logNow;       // its entries now
    // Both as the system names them and as they resolve.
    std::vector<std::wstring> protectedFolders;
    std::vector<std::wstring> profileFolders;
};

// Something of the tool's that stays, for the log: why, and its name.
struct SKeptEntry {
    const char* reason;                      // one of RemovalLog (UTF-8)
    std::wstring name;
};

struct SSelfRemovalPlan {
    bool safe = false;                       // false: nothing is touched
    bool reachedThroughLink = false;         // the folder was not where its path said
    bool folderProtected = false;            // IsProtectedFolder, or reached through a link
    bool dedicated = false;                  // the folder held nothing but the tool's files at start
    std::vector<SRemovalEntry> removeNow;    // entries of the folder deleted at once, by handle
    std::vector<SRemovalEntry> logFilesNow;  // entries of the log folder deleted at once, by handle
    bool logFolderNow = false;               // then the log folder, by handle, if empty
    // The program and the library, as \\?\ paths: deleted after the end by
    // the hidden command, each only if no folder stands at that name.
    std::vector<std::wstring> removeLater;
    std::wstring folderLater;                // then this folder if empty ("": kept)
    std::vector<SKeptEntry> kept;            // the tool's things that stay, and why
};

// Names compare without regard to ASCII case, as the file system does, and
// otherwise exactly: "payroll.xlsx." is not "payroll.xlsx".
SSelfRemovalPlan PlanSelfRemoval(const SSelfRemovalFacts& facts);

// The log lines (UTF-8) for what the removal leaves behind; the name follows.
namespace RemovalLog {
extern const char* const kFolderNotHeld;       // the folder could not be held at start: nothing is removed
extern const char* const kReachedThroughLink;  // the folder stays; only the tool's own files go
extern const char* const kChangedSinceStart;   // not the file the tool brought, or no longer a plain file
extern const char* const kNotPlainFile;        // a folder or link that came while the tool ran
extern const char* const kDeleteFailed;        // the system refused to delete it
extern const char* const kNoShell;             // the command for after the end could not be started
extern const char* const kUnsafeForInterpreter;  // the interpreter would read the path as another: nothing is removed
}  // namespace RemovalLog

// The waits, in seconds, between the tries to remove the program's own files
// while it may still be ending: about 30 s in all after the first try.
extern const int kRemovalRetryWaits[5];

// Parameters for the system folder's cmd.exe that ends a run: wait 3 s (the
// system folder's timeout.exe), then delete removeLater, each only where no
// folder (or link to one) stands at that name, and remove folderLater if it
// is empty; while the program's file is still there, wait and try again
// (kRemovalRetryWaits). No /s anywhere: nothing is removed with what it holds.
// Empty when the plan leaves nothing for later or is not safe, or when the
// text would be longer than the interpreter takes (kMaxRemovalParameterChars).
const size_t kMaxRemovalParameterChars = 8000;
std::wstring SelfRemovalParameters(const SSelfRemovalPlan& plan, const std::wstring& systemFolder);

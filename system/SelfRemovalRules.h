// What the tool may take away when a run ends, decided without a window or a
// handle: which folders are never removed or cleared, which files are the
// tool's, and the text of the hidden command that finishes the job once the
// program has ended.
//
// The tool's own files go: the program, the device tool, the feedback
// library, and the log files of a log folder this run created. In a folder
// that is not protected, the files that appeared there while the tool ran
// (the feedback library's records) go too; then the folder itself, if nothing
// else is left in it. Nothing else is ever deleted.
#pragma once
#include <string>
#include <vector>

// The files shipped beside the program.
extern const wchar_t* const kDeviceToolName;        // devcon.exe
extern const wchar_t* const kFeedbackLibraryName;   // TarnexFeedbackInformation.dll
// The log folder a log front end makes under its root, and the files it writes.
extern const wchar_t* const kLogFolderName;          // ToolLog
extern const wchar_t* const kLogFileNames[4];

// A drive or share root (in any spelling, \\?\ forms included); one of
// protectedFolders (system and known folders) or a folder that holds one; a
// profile folder of any account, a folder that holds one, or a first-level
// folder of one (another account's Desktop, whatever it is called).
bool IsProtectedFolder(const std::wstring& folder, const std::vector<std::wstring>& protectedFolders,
                       const std::vector<std::wstring>& profileFolders);

// A path the interpreter would read as something else: it expands %NAME%
// (and !NAME! with delayed expansion) even inside quotes, and a quote or a
// control character would end the quoted text early.
bool UnsafeForInterpreter(const std::wstring& path);

// What the removal knows when the run ends.
struct SSelfRemovalFacts {
    std::wstring folder;                        // the program folder
    std::wstring programName;                   // the program's file name
    bool startListed = false;                   // the folder's files were listed when the program started
    std::vector<std::wstring> filesAtStart;     // their names then
    std::vector<std::wstring> filesNow;         // the names of the files in the folder now
    bool logFolderMadeByRun = false;            // this run created <folder>\ToolLog
    std::vector<std::wstring> logFilesNow;      // the names of the files in it now
    std::vector<std::wstring> protectedFolders;
    std::vector<std::wstring> profileFolders;
};

struct SSelfRemovalPlan {
    bool safe = false;                          // false: nothing is touched
    std::vector<std::wstring> removeNow;        // files removed at once (full paths)
    std::wstring logFolderNow;                  // then removed at once if empty ("": none)
    std::vector<std::wstring> removeLater;      // files in use until the program ends
    std::wstring folderLater;                   // removed after them if empty ("": kept)
};

// Names compare without regard to ASCII case, as the file system does.
SSelfRemovalPlan PlanSelfRemoval(const SSelfRemovalFacts& facts);

// The waits, in seconds, between the tries to remove the program's own files
// while it may still be ending: about 30 s in all after the first try.
extern const int kRemovalRetryWaits[5];

// Parameters for the system folder's cmd.exe that ends a run: wait 3 s (the
// system folder's timeout.exe), then delete removeLater and remove folderLater
// if it is empty; while the program's file is still there, wait and try again
// (kRemovalRetryWaits). No /s anywhere: nothing is removed with what it holds.
// Empty when the plan leaves nothing for later or is not safe, or when the
// text would be longer than the interpreter takes (kMaxRemovalParameterChars).
const size_t kMaxRemovalParameterChars = 8000;
std::wstring SelfRemovalParameters(const SSelfRemovalPlan& plan, const std::wstring& systemFolder);

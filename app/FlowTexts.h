// What the repair flow shows and logs, and how it answers each host result.
// Portable: no window in sight.
#pragma once

// 1 selects the Chinese user texts, any other value the English ones.
extern int g_nLanguage;

enum class FlowText {
    ToolInitFailed,          // message window refused; feedback library fails to load or initialise
    SystemNotSupported,
    NewVersionAvailable,
    HostThreadFailed,        // host-check thread cannot be created
    HostWorkerFailed,        // host-information worker fails to start
    HostCheckRunning,
    ModelMismatch,           // host result 2 or 7
    HostInfoFailed,          // host result 3, 4, 5 or 6
    RepairStartFailed,       // repair worker fails to start
    RepairRunning,
    RestartQuestion,         // repair result 1
    RepairFailed,            // repair result 2
};

// The text for the current g_nLanguage.
const wchar_t* GetFlowText(FlowText id);
// Both columns, for the tests.
const wchar_t* GetFlowText(FlowText id, int language);

// Prompt types of the prompt box.
enum PromptType { kPromptYesNoCentred = 1, kPromptYesNo = 2, kPromptOk = 3, kPromptOkCancel = 4 };

// Please-wait text layout: one centred line for Chinese, wrapped for English.
int PleaseWaitLayoutMode(int language);

// How the main window answers a host-check result code.
struct HostResultReaction {
    bool fatal;              // prompt, remove the program folder, end the process
    FlowText text;           // meaningful only when fatal
};
HostResultReaction ReactToHostResult(int code);

// How the start-up steps went (the Windows version, then the feedback
// library's binding and initialisation), each failure after its log line.
enum class EStartResult { Ready, SystemNotSupported, FeedbackLoadFailed, FeedbackInitFailed };

// Log lines of the flow (UTF-8), always the Chinese texts.
namespace FlowLog {
extern const char* const kSetMsgWndFailed;
extern const char* const kSystemNotSupported;
extern const char* const kFeedbackLoadFailed;
extern const char* const kFeedbackInitFailed;
extern const char* const kHostThreadFailed;
extern const char* const kHostWorkerFailed;
}  // namespace FlowLog

// Tool identity handed to the feedback library.
extern const wchar_t* const kToolId;         // "10149"
extern const wchar_t* const kToolVersion;    // the project's version, e.g. "1.0.22.419"

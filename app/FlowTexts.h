// What the repair flow shows and logs, how it answers each host result, and
// what each ending of the window does. Portable: no window in sight.
#pragma once
#include <cstdint>

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

// How the main window answers the code of a host-check result message.
struct HostResultReaction {
    bool accepted;           // the machine is one to repair: the start button may act
    bool fatal;              // prompt, then the run ends with the folder removed
    FlowText text;           // meaningful only when fatal
};
HostResultReaction ReactToHostResult(uintptr_t code);

// How a run of the window ends. The main dialog records it when it ends, and
// the application object acts on it once the dialog has returned, the same
// way whichever path led there; the process then ends with exit code 0.
enum class EWindowEnding {
    Stopped,       // a start-up step failed, a newer version exists, or the window never came up
    HostRefused,   // host results 2 to 7
    Closed,        // the user closed the window
};

struct SEndingSteps {
    bool closingFeedback;    // the feedback event of closing
    bool removeFolder;       // the self-removal
};
SEndingSteps StepsOfEnding(EWindowEnding ending);

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

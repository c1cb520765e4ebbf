// The main window and the repair flow: start-up checks, the timer that starts
// the automatic checks, the host-check and repair threads, their reports, the
// prompts, and every way the window ends (recorded for the application
// object, which ends the run).
//
// Threads. Every thread of the program is started through StartThread
// (base/Threads.h), which owns what it hands over.
// - The user-interface thread runs the application object, every handler of
//   this window, every other prompt, and the repair's please-wait dialog. It
//   never waits for a worker; it waits a bounded time only for the two
//   helpers at the end of this list.
// - The host-check thread (CheckHostThreadProc, one per run of the timer) is
//   handed the dialog: it starts the host-information worker and runs the
//   host's please-wait dialog (or, when the worker cannot start, its notice),
//   which the slot m_pExecutePrompt shares with this thread (atomic
//   operations only). That dialog is modal over this window, so the window
//   cannot end while the thread runs; the thread ends when the worker's close
//   request has ended the dialog.
// - The host-information worker (CRepairWorker::GetHostInfo) and the repair
//   worker (CRepairWorker::DoRepair) are handed the worker, a member of the
//   dialog: they run the commands, keep or read the hardware ID (a locked
//   value; it and the please-wait slot are all that two threads share), and
//   report by two synchronous sends to this window, the close request and
//   the result; the window's answer is the whole of their reply. A
//   please-wait dialog is modal over this window for as long as each runs.
// - The check-box thread (EnableStartThreadProc, one per click) is handed the
//   window's handle only, not the dialog: it may run after the dialog has
//   gone, and a send to a window that no longer exists simply fails. Its one
//   send asks the window to make the start button follow the box.
// - The preloaded background's decoder (CPngPreload, ui/) owns its state with
//   the preload, which waits for it a bounded time.
// - The self-removal's shell call (system/SelfRemoval.cpp) runs the shell's
//   automation on a thread of its own, shares its call with the caller, and
//   is waited for a bounded time.
#pragma once
#include <memory>

#include "app/AppMessages.h"
#include "app/FlowTexts.h"
#include "feedback/FeedbackDll.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "res/resource.h"
#include "system/RepairWorker.h"
#include "ui/CheckBoxBtn.h"
#include "ui/DrawStatic.h"
#include "ui/ImageButton.h"
#include "ui/PngResource.h"

class CExecutePromptDlg;

class CVelmoraDlg : public CDialog {
public:
    // background: PNG 134 already being decoded (borrowed; it outlives the
    // dialog's start). Without one the dialog decodes it itself.
    explicit CVelmoraDlg(CPngPreload* background = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // How the window ended; Stopped until it ends one of its designed ways.
    EWindowEnding Ending() const { return m_ending; }
    // The feedback event of closing (nothing without the library).
    void SendClosingFeedback();
    // Starts the removal of the program folder and returns at once.
    void DeleteSelf();

protected:
    // Looks (scale, size, shape, background, version text, drag band, layout);
    // in high contrast the background is the plain window colour.
    void OnPaint() override;
    BOOL OnEraseBkgnd(HDC hDC) override;
    LRESULT OnNcHitTest(POINT screen) override;
    void OnSize(UINT type, int cx, int cy) override;
    // The flow.
    void OnSysCommand(UINT command, LPARAM l) override;
    void OnTimer(UINT_PTR id) override;
    void OnClose() override;
    void OnDestroy() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

private:
    // False when a step failed: its prompt has been shown and the window ends.
    [[nodiscard]] bool InitTool();
    bool StartCheckHostThread();
    static void CheckHostThreadProc(CVelmoraDlg* dlg);
    static void EnableStartThreadProc(HWND window);
    void RunCheckHost();
    [[nodiscard]] std::shared_ptr<CExecutePromptDlg> NewPleaseWait(const wchar_t* text);
    void DropPleaseWait(const std::shared_ptr<CExecutePromptDlg>& dlg);
    // Every way the window ends itself: the ending is recorded, then the dialog ends.
    void EndWith(EWindowEnding ending);

    LRESULT OnCloseExecutePrompt();
    LRESULT OnHostCheckResult(WPARAM code);
    LRESULT OnRepairResult(WPARAM code);
    LRESULT OnStartFollowsBox();
    void OnBnClickedChkAgree();
    void OnBnClickedBtnStart();

    void ComputeScale();
    void LayoutControls(bool first);
    void SetAgreementText();
    // The background image, loaded on first need; false while it cannot be.
    bool HasBackground();

    // Shows a prompt box modally and returns its result; what failed as it
    // came up goes to the log.
    INT_PTR ShowPrompt(HWND hParent, const wchar_t* text, int type);
    // A prompt with the single confirm button: there is nothing to answer.
    void ShowNotice(HWND hParent, FlowText text);

    HICON m_hIcon = nullptr;
    RECT m_rcClient{};
    bool m_bLayoutDone = false;
    bool m_bInCaption = false;
    std::unique_ptr<CPngImage> m_pBkImage;      // PNG 134, owned by the dialog
    CPngPreload* m_pBkPreload = nullptr;        // where m_pBkImage comes from, if given
    bool m_bVersionFontCreated = false;
    CFontObj m_fontVersion;
    CPngButton m_btnClose;
    CPngButton m_btnMin;
    CWnd m_reAgreement;
    CCheckBoxBtn m_chkAgree;
    CImageButton m_btnStart;
    CUnpaintedStatic m_staticVersion;   // the version as text; the background draws it
    CRepairWorker m_repairWorker;
    // The current please-wait dialog, shared with the thread that runs it:
    // whichever lets go last deletes it. Taken and replaced on two threads,
    // always through the atomic operations of <memory>.
    std::shared_ptr<CExecutePromptDlg> m_pExecutePrompt;
    CFeedbackDll m_feedback;
    FeedbackInitInfo m_feedbackInfo;
    float m_fScale = 1.0f;
    // Set when the host check has accepted the machine (result 1). Until then
    // the start button does nothing: there is no device to disable yet, and a
    // repair running beside the host check would leave one of the two
    // please-wait dialogs up with nobody to close it.
    bool m_bMachineAccepted = false;
    EWindowEnding m_ending = EWindowEnding::Stopped;
};

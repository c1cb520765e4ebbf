// The main window and the repair flow: start-up checks, the timer that starts
// the automatic checks, the host-check and repair threads, their reports, the
// prompts, and every way the window ends (recorded for the application
// object, which ends the run).
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
    // Starts the removal of the program folder and returns at once. Always true.
    bool DeleteSelf();

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
    [[nodiscard]] bool StartCheckHostThread();
    static DWORD WINAPI CheckHostThreadProc(LPVOID param);
    static DWORD WINAPI EnableStartThreadProc(LPVOID param);
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
    [[nodiscard]] bool HasBackground();

    // Shows a prompt box modally and returns its result; what failed as it
    // came up goes to the log.
    [[nodiscard]] INT_PTR ShowPrompt(HWND hParent, const wchar_t* text, int type);
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

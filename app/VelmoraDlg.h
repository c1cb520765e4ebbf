// The main window and the repair flow: start-up checks, the timer that starts
// the automatic checks, the host-check and repair threads, their reports, the
// prompts, and every way the run ends.
#pragma once
#include <atomic>

#include "app/WorkerMessages.h"
#include "feedback/FeedbackDll.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "res/resource.h"
#include "system/RepairWorker.h"
#include "ui/CheckBoxBtn.h"
#include "ui/ImageButton.h"
#include "ui/PngResource.h"

class CExecutePromptDlg;

#define IDT_START_CHECKS 33
// From the check-box thread: set the start button from the box's state.
#define WM_START_FOLLOWS_BOX (WM_USER + 510)

class CVelmoraDlg : public CDialog {
public:
    CVelmoraDlg();
    ~CVelmoraDlg() override;

    BOOL OnInitDialog() override;
    void DoDataExchange() override;

    bool DeleteSelf();

protected:
    // Looks (scale, size, shape, background, version text, drag band, layout).
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
    void InitTool();
    bool StartCheckHostThread();
    static DWORD WINAPI CheckHostThreadProc(LPVOID param);
    static DWORD WINAPI EnableStartThreadProc(LPVOID param);
    void RunCheckHost();
    CExecutePromptDlg* NewExecutePrompt(const wchar_t* text);
    void DropExecutePrompt(CExecutePromptDlg* dlg);

    LRESULT OnCloseExecutePrompt();
    LRESULT OnHostCheckResult(WPARAM code);
    LRESULT OnRepairResult(WPARAM code);
    LRESULT OnStartFollowsBox();
    void OnBnClickedChkAgree();
    void OnBnClickedBtnStart();
    void SendClosingFeedback();

    void ComputeScale();
    void LayoutControls(bool first);
    void SetAgreementText();

    // Shows a prompt box modally and returns its result; what failed as it
    // came up goes to the log.
    INT_PTR ShowPrompt(HWND hParent, const wchar_t* text, int type);
    [[noreturn]] static void EndProcessNow();

    HICON m_hIcon = nullptr;
    RECT m_rcClient{};
    int m_bLayoutDone = 0;
    int m_bInCaption = 0;
    CPngImage m_pBkImage;                       // PNG 134, owned by the dialog
    int m_bVersionFontCreated = 0;
    CFontObj m_fontVersion;
    CPngButton m_btnClose;
    CPngButton m_btnMin;
    CWnd m_reAgreement;
    CCheckBoxBtn m_chkAgree;
    CImageButton m_btnStart;
    CRepairWorker m_repairWorker;
    std::atomic<CExecutePromptDlg*> m_pExecutePrompt{nullptr};
    CFeedbackDll m_feedback;
    FeedbackInitInfo m_feedbackInfo;
    float m_fScale = 1.0f;
    // Set when the host check has accepted the machine (result 1). Until then
    // the start button does nothing: there is no device to disable yet, and a
    // repair running beside the host check would leave one of the two
    // please-wait dialogs up with nobody to close it.
    bool m_bMachineAccepted = false;
};

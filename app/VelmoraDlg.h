// The main window and the repair flow: start-up checks, the timer that starts
// the automatic checks, the host-check and repair threads, their reports, the
// prompts, and every way the run ends.
#pragma once
#include <atomic>

#include "feedback/FeedbackDll.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "res/resource.h"
#include "system/RepairWorker.h"
#include "ui/CheckBoxBtn.h"
#include "ui/ImageButton.h"

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
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    bool DeleteSelf();

private:
    void InitTool();
    bool StartCheckHostThread();
    static DWORD WINAPI CheckHostThreadProc(LPVOID param);
    static DWORD WINAPI EnableStartThreadProc(LPVOID param);
    void RunCheckHost();
    CExecutePromptDlg* NewExecutePrompt(const wchar_t* text);
    void DropExecutePrompt(CExecutePromptDlg* dlg);

    void OnTimer(UINT_PTR id);
    void OnClose();
    void OnDestroy();
    LRESULT OnCloseExecutePrompt();
    LRESULT OnHostCheckResult(WPARAM code);
    LRESULT OnRepairResult(WPARAM code);
    void OnBnClickedChkAgree();
    LRESULT OnStartFollowsBox();
    void OnBnClickedBtnStart();
    void SendClosingFeedback();

    // Looks (scale, size, shape, background, version text, drag band, layout).
    void ComputeScale();
    void LayoutControls(bool first);
    void SetAgreementText();
    BOOL OnEraseBkgnd(HDC hDC);
    void OnPaint();
    LRESULT OnNcHitTest(LPARAM lParam);
    void OnSize();

    // Shows a prompt box modally and returns its result.
    INT_PTR ShowPrompt(HWND hParent, const wchar_t* text, int type);
    [[noreturn]] static void EndProcessNow();

    HICON m_hIcon = nullptr;
    RECT m_rcClient{};
    int m_bLayoutDone = 0;
    int m_bInCaption = 0;
    Gdiplus::GpImage* m_pBkImage = nullptr;
    int m_bVersionFontCreated = 0;
    CFontObj m_fontVersion;
    HFONT m_pOldFont = nullptr;
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

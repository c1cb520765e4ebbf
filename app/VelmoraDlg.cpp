#include "app/VelmoraDlg.h"

#include <memory>
#include <optional>
#include <utility>

#include "app/AboutDlg.h"
#include "app/FlowSteps.h"
#include "app/FlowTexts.h"
#include "app/MainLayout.h"
#include "base/Text.h"
#include "base/Threads.h"
#include "log/LogSave.h"
#include "system/ResultCodes.h"
#include "system/SelfRemoval.h"
#include "ui/ExecutePromptDlg.h"
#include "ui/PngResource.h"
#include "ui/PromptDlg.h"
#include "ui/SkinRect.h"

CVelmoraDlg::CVelmoraDlg(CPngPreload* background)
    : CDialog(IDD_VELMORA_DIALOG, nullptr, kSwallowEscEnter), m_pBkPreload(background)
{
    m_hIcon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                              0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

void CVelmoraDlg::DoDataExchange()
{
    m_btnClose.SubclassDlgItem(IDC_BTN_CLOSE, m_hWnd);
    m_btnMin.SubclassDlgItem(IDC_BTN_MIN, m_hWnd);
    m_reAgreement.SubclassDlgItem(IDC_RE_AGREEMENT, m_hWnd);
    m_chkAgree.SubclassDlgItem(IDC_CHK_AGREE, m_hWnd);
    m_btnStart.SubclassDlgItem(IDC_BTN_START, m_hWnd);
    m_staticVersion.SubclassDlgItem(IDC_STATIC_VERSION, m_hWnd);
}

BOOL CVelmoraDlg::PreTranslateMessage(MSG* pMsg)
{
    FollowKeyboardCues(m_hWnd, pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CVelmoraDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CDialog::SetMainWindow(m_hWnd);

    if (HMENU sys = ::GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t about[128] = {};
        if (::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, 128) > 0) {
            ::AppendMenuW(sys, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(sys, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SetWindowText(L"Velmora");

    ComputeScale();
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, mainwnd::WindowWidth(m_fScale), mainwnd::WindowHeight(m_fScale),
                   SWP_NOMOVE | SWP_NOZORDER);

    if (!HasBackground() || !InitTool())
        return TRUE;

    LayoutControls(true);
    m_bLayoutDone = true;
    ::SetTimer(m_hWnd, IDT_START_CHECKS, 100, nullptr);
    return TRUE;
}

void CVelmoraDlg::EndWith(EWindowEnding ending)
{
    m_ending = ending;
    EndDialog(IDCANCEL);
}

INT_PTR CVelmoraDlg::ShowPrompt(HWND hParent, const wchar_t* text, int type)
{
    auto prompt = std::make_unique<CPromptDlg>(hParent);
    prompt->m_fScale = m_fScale;
    prompt->SetMessage(text);
    prompt->SetPromptType(type);
    const INT_PTR r = prompt->DoModal();
    for (const char* failure : prompt->Failures())
        LogToolLine(failure);
    return r;
}

void CVelmoraDlg::ShowNotice(HWND hParent, FlowText text)
{
    // One button: however the prompt was dismissed, the flow goes on the same way.
    ShowPrompt(hParent, GetFlowText(text), kPromptOk);
}

bool CVelmoraDlg::InitTool()
{
    if (!m_repairWorker.SetMsgWnd(m_hWnd, kWorkerMessages)) {
        LogToolLine(FlowLog::kSetMsgWndFailed);
        ShowNotice(nullptr, FlowText::ToolInitFailed);
        EndWith(EWindowEnding::Stopped);
        return false;
    }
    const EStartResult started = StartTool(m_repairWorker, m_feedback, m_feedbackInfo);
    if (started == EStartResult::Ready)
        return true;
    ShowNotice(nullptr, started == EStartResult::SystemNotSupported ? FlowText::SystemNotSupported
                                                                     : FlowText::ToolInitFailed);
    EndWith(EWindowEnding::Stopped);
    return false;
}

void CVelmoraDlg::OnSysCommand(UINT command, LPARAM l)
{
    if ((command & 0xFFF0) == IDM_ABOUTBOX)
        CAboutDlg(m_hWnd).DoModal();   // the about box has nothing to answer
    else
        CDialog::OnSysCommand(command, l);
}

bool CVelmoraDlg::OnCommand(UINT id, UINT code, HWND control)
{
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_CHK_AGREE:
            OnBnClickedChkAgree();
            return true;
        case IDC_BTN_CLOSE:
            SendMessage(WM_CLOSE);
            return true;
        case IDC_BTN_MIN:
            ::PostMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return true;
        case IDC_BTN_START:
            OnBnClickedBtnStart();
            return true;
        }
    }
    return CDialog::OnCommand(id, code, control);
}

LRESULT CVelmoraDlg::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_CLOSE_EXECUTE_PROMPT:
        return OnCloseExecutePrompt();
    case WM_HOST_CHECK_RESULT:
        return OnHostCheckResult(w);
    case WM_REPAIR_RESULT:
        return OnRepairResult(w);
    case WM_START_FOLLOWS_BOX:
        return OnStartFollowsBox();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon);
    case WM_SYSCOLORCHANGE:
        // The agreement box is a common control: it hears of new colours only from its window.
        m_reAgreement.SendMessage(WM_SYSCOLORCHANGE, w, l);
        RepaintWholly(m_hWnd);
        return CDialog::OnMessage(msg, w, l);
    case WM_SETTINGCHANGE:
        RepaintWholly(m_hWnd);
        return CDialog::OnMessage(msg, w, l);
    default:
        return CDialog::OnMessage(msg, w, l);
    }
}

void CVelmoraDlg::OnTimer(UINT_PTR id)
{
    if (id == IDT_START_CHECKS) {
        ::KillTimer(m_hWnd, IDT_START_CHECKS);
        if (NewerVersionExists(m_feedback)) {
            ShowNotice(m_hWnd, FlowText::NewVersionAvailable);
            // Whether the page opened changes nothing: this tool is not to be used.
            m_feedback.OpenToolDownUrl();
            EndWith(EWindowEnding::Stopped);
            return;
        }
        // A thread that could not be made has shown its prompt; the window stays usable.
        StartCheckHostThread();
    }
    CDialog::OnTimer(id);
}

bool CVelmoraDlg::StartCheckHostThread()
{
    if (StartThread([this] { CheckHostThreadProc(this); }))
        return true;
    LogToolLine(FlowLog::kHostThreadFailed);
    ShowNotice(nullptr, FlowText::HostThreadFailed);
    return false;
}

void CVelmoraDlg::CheckHostThreadProc(CVelmoraDlg* dlg)
{
    dlg->RunCheckHost();
}

// Replaces the current please-wait dialog by a new one (not yet shown), shared
// between the slot, which keeps it until the next one replaces it, and the
// caller, which runs it; they let go in either order, on either thread. The
// dialog exists before its worker starts, so the worker's close request can
// never come too early; one that is still showing is not deleted under its
// thread.
std::shared_ptr<CExecutePromptDlg> CVelmoraDlg::NewPleaseWait(const wchar_t* text)
{
    auto dlg = std::make_shared<CExecutePromptDlg>();
    dlg->SetMessage(text);
    dlg->SetLayoutMode(PleaseWaitLayoutMode(g_nLanguage));
    dlg->m_fScale = m_fScale;
    std::atomic_store(&m_pExecutePrompt, dlg);
    return dlg;
}

// The worker could not be started: the dialog is never shown. The slot lets go
// of it unless another has taken its place meanwhile.
void CVelmoraDlg::DropPleaseWait(const std::shared_ptr<CExecutePromptDlg>& dlg)
{
    std::shared_ptr<CExecutePromptDlg> expected = dlg;
    // False when the slot already holds a newer one, which stays.
    (void)std::atomic_compare_exchange_strong(&m_pExecutePrompt, &expected, std::shared_ptr<CExecutePromptDlg>());
}

void CVelmoraDlg::RunCheckHost()
{
    const std::shared_ptr<CExecutePromptDlg> dlg = NewPleaseWait(GetFlowText(FlowText::HostCheckRunning));
    if (!m_repairWorker.StartHostInfoThread()) {
        DropPleaseWait(dlg);
        LogToolLine(FlowLog::kHostWorkerFailed);
        ShowNotice(m_hWnd, FlowText::HostWorkerFailed);
        return;
    }
    // Only the worker's close request ends it: its result says nothing more.
    dlg->DoModal();
}

LRESULT CVelmoraDlg::OnCloseExecutePrompt()
{
    if (const std::shared_ptr<CExecutePromptDlg> p = std::atomic_load(&m_pExecutePrompt))
        p->RequestClose();
    return 1;
}

LRESULT CVelmoraDlg::OnHostCheckResult(WPARAM code)
{
    const HostResultReaction r = ReactToHostResult(code);
    if (r.accepted)
        m_bMachineAccepted = true;
    if (!r.fatal)
        return 1;
    ShowNotice(nullptr, r.text);
    ::SetForegroundWindow(m_hWnd);
    EndWith(EWindowEnding::HostRefused);
    return 1;
}

void CVelmoraDlg::OnBnClickedChkAgree()
{
    // A thread that cannot be made changes nothing: the button keeps the
    // state it has.
    const HWND window = m_hWnd;
    (void)StartThread([window] { EnableStartThreadProc(window); });
}

// The thread asks the window: the start button changes on its own thread, from
// the box's state as it is then, so clicks whose threads finish out of order
// still leave the button following the box's last state.
void CVelmoraDlg::EnableStartThreadProc(HWND window)
{
    ::SendMessageW(window, WM_START_FOLLOWS_BOX, 0, 0);
}

LRESULT CVelmoraDlg::OnStartFollowsBox()
{
    m_btnStart.EnableButton(::SendMessageW(m_chkAgree, BM_GETCHECK, 0, 0) == BST_CHECKED);
    return 1;
}

void CVelmoraDlg::OnBnClickedBtnStart()
{
    if (!m_bMachineAccepted)
        return;
    const std::shared_ptr<CExecutePromptDlg> dlg = NewPleaseWait(GetFlowText(FlowText::RepairRunning));
    if (!m_repairWorker.StartRepairThread()) {
        DropPleaseWait(dlg);
        ShowNotice(nullptr, FlowText::RepairStartFailed);
        return;
    }
    // Only the worker's close request ends it; its result message follows.
    dlg->DoModal();
}

LRESULT CVelmoraDlg::OnRepairResult(WPARAM code)
{
    const std::optional<ERepairResult> result = RepairResultOfCode(code);
    if (result == ERepairResult::Done) {
        if (ShowPrompt(nullptr, GetFlowText(FlowText::RestartQuestion), kPromptYesNo) == IDOK) {
            ReportFeedbackEvent(m_feedback);
            // The window stays as it is either way: a refused restart leaves
            // the user where a "否" would.
            m_repairWorker.RebootSystem();
        }
        ::SetForegroundWindow(m_hWnd);
    } else if (result == ERepairResult::Failed) {
        ShowNotice(nullptr, FlowText::RepairFailed);
        ::SetForegroundWindow(m_hWnd);
    }
    return 1;
}

void CVelmoraDlg::SendClosingFeedback()
{
    // Without the library (the background image failed to load) there is nobody to tell.
    if (!m_feedback.IsBound())
        return;
    ReportFeedbackEvent(m_feedback);
}

// The feedback event and the removal follow in the application object, once
// the dialog has returned.
void CVelmoraDlg::OnClose()
{
    EndWith(EWindowEnding::Closed);
}

void CVelmoraDlg::OnDestroy()
{
    CDialog::OnDestroy();
    m_pBkImage.reset();
}

void CVelmoraDlg::DeleteSelf()
{
    StartSelfRemoval();
}

// ---- looks ------------------------------------------------------------------

namespace {
// What the background image shows as the tool's name, drawn in high contrast.
const wchar_t kHighContrastTitle[] = L"Velmora 显卡蓝屏修复工具";
}  // namespace

void CVelmoraDlg::ComputeScale()
{
    // Computed once: a factor that differs from 1.0 is never recomputed.
    if (m_fScale != 1.0f)
        return;
    CWindowDCRef screen(nullptr);
    if (screen.Get())
        m_fScale = mainwnd::ScaleFromDpi(::GetDeviceCaps(screen.Get(), LOGPIXELSY));
}

void CVelmoraDlg::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    ComputeScale();
    int e = mainwnd::CornerEllipse(m_fScale);
    SetWindowRoundRegion(m_hWnd, e, e);
    if (m_bLayoutDone)
        LayoutControls(false);
}

void CVelmoraDlg::LayoutControls(bool first)
{
    m_rcClient = GetClientRect();
    const float s = m_fScale;

    const wchar_t* caption = g_nLanguage == 1 ? L"我同意" : L"Agree";
    int w = 0;
    {
        CWindowDCRef dc(m_hWnd);
        w = MeasureTextWidth(m_hWnd, dc.Get(), caption, 0, 0);
    }
    const mainwnd::Layout l = mainwnd::LayoutControls(ToRect(m_rcClient), s, w);

    struct TitleButton { CPngButton& btn; const mainwnd::Rect& place; const mainwnd::Rect& src; UINT firstImage; };
    for (const TitleButton& b : {TitleButton{m_btnClose, l.close, mainwnd::kCloseSource, IDB_PNG_CLOSE_NORMAL},
                                 TitleButton{m_btnMin, l.minimise, mainwnd::kMinimiseSource, IDB_PNG_MIN_NORMAL}}) {
        if (first) {
            b.btn.m_fScale = s;
            b.btn.m_glyph = &b.btn == &m_btnMin ? CPngButton::kGlyphMinimise : CPngButton::kGlyphClose;
            b.btn.SetBackgroundImage(m_pBkImage->image);
            b.btn.SetBackgroundRect(b.src.left, b.src.top, b.src.right, b.src.bottom);
            b.btn.LoadStateImages(b.firstImage, b.firstImage + 1, b.firstImage + 2, b.firstImage + 3);
        }
        b.btn.MoveWindow(ToRECT(b.place), TRUE);
    }

    if (first) {
        m_chkAgree.SetWindowText(caption);
        m_chkAgree.SetBackgroundImage(m_pBkImage->image);
        const mainwnd::Rect src = mainwnd::CheckSource(s, w);
        m_chkAgree.SetBackgroundRect(src.left, src.top, src.right, src.bottom);
        m_chkAgree.SetTextColor(RGB(255, 255, 255));
        m_chkAgree.InitFont();
        m_chkAgree.m_fScale = s;
        ::SendMessageW(m_chkAgree, BM_SETCHECK, BST_CHECKED, 0);
    }
    m_chkAgree.MoveWindow(ToRECT(l.check), TRUE);

    if (first) {
        const mainwnd::Rect& src = mainwnd::kStartSource;
        m_btnStart.SetBackgroundImage(m_pBkImage->image);
        m_btnStart.SetBackgroundRect(src.left, src.top, src.right, src.bottom);
        m_btnStart.LoadStateImages(IDB_PNG_START_NORMAL, IDB_PNG_START_HOVER, IDB_PNG_START_PRESSED,
                                   IDB_PNG_START_DISABLED);
    }
    m_btnStart.MoveWindow(ToRECT(l.start), TRUE);

    m_reAgreement.MoveWindow(ToRECT(l.agreement), TRUE);

    if (first)
        m_staticVersion.SetWindowText(kToolVersion);
    m_staticVersion.MoveWindow(ToRECT(mainwnd::VersionTextRect(ToRect(m_rcClient), s)), FALSE);

    if (first && g_nLanguage == 1)
        SetAgreementText();
}

bool CVelmoraDlg::HasBackground()
{
    if (m_pBkImage)
        return true;
    // A preload that could not decode it has tried what decoding here would.
    if (m_pBkPreload) {
        m_pBkImage = std::exchange(m_pBkPreload, nullptr)->Take();
        return m_pBkImage != nullptr;
    }
    auto image = std::make_unique<CPngImage>();
    if (!LoadPngResource(*image, IDB_PNG_MAIN_BK))
        return false;
    m_pBkImage = std::move(image);
    return true;
}

// The agreement and privacy policy: a UTF-8 text resource, set with one call.
void CVelmoraDlg::SetAgreementText()
{
    HMODULE mod = ::GetModuleHandleW(nullptr);
    HRSRC res = ::FindResourceW(mod, MAKEINTRESOURCEW(IDR_AGREEMENT_TEXT), L"TEXT");
    HGLOBAL data = res ? ::LoadResource(mod, res) : nullptr;
    const char* bytes = data ? static_cast<const char*>(::LockResource(data)) : nullptr;
    if (!bytes)
        return;
    m_reAgreement.SetWindowText(Utf8ToWide(std::string(bytes, ::SizeofResource(mod, res))));
}

BOOL CVelmoraDlg::OnEraseBkgnd(HDC hDC)
{
    RECT rc = GetClientRect();
    if (!HasBackground())
        return TRUE;
    const bool plain = HighContrastOn();
    std::optional<CGraphics> g;   // held over the version text, as its drawing always was
    if (plain) {
        PaintPlainWindow(m_hWnd, hDC);
    } else {
        g.emplace(hDC);
        gp::GdipSetSmoothingMode(g->Get(), Gdiplus::SmoothingModeHighQuality);
        DrawImageStretched(g->Get(), m_pBkImage->image, rc);
    }

    if (!m_bVersionFontCreated) {
        // Tried once: without its own font the version is drawn in the DC's.
        CreateFontFromParent(m_hWnd, 2, 2, m_fontVersion);
        m_bVersionFontCreated = true;
    }
    ::SetBkMode(hDC, TRANSPARENT);
    CSelectObject font(hDC, m_fontVersion.Get());
    ::SetTextColor(hDC, plain ? ::GetSysColor(COLOR_WINDOWTEXT) : RGB(255, 255, 255));
    RECT text = ToRECT(mainwnd::VersionTextRect(ToRect(rc), m_fScale));
    ::DrawTextW(hDC, kToolVersion, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (plain) {
        // The name the background image shows, left of the version in its row.
        RECT title{rc.left + static_cast<LONG>(20 * m_fScale), text.top, text.left - static_cast<LONG>(20 * m_fScale),
                   text.bottom};
        ::DrawTextW(hDC, kHighContrastTitle, -1, &title, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
    return TRUE;
}

// Minimised, the window shows its icon; otherwise the background is all.
void CVelmoraDlg::OnPaint()
{
    if (!::IsIconic(m_hWnd)) {
        CDialog::OnPaint();
        return;
    }
    CPaintDCRef dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    RECT rc = GetClientRect();
    int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
    int x = (rc.right - rc.left - cx + 1) / 2;
    int y = (rc.bottom - rc.top - cy + 1) / 2;
    ::DrawIcon(dc.Get(), x, y, m_hIcon);
}

LRESULT CVelmoraDlg::OnNcHitTest(POINT screen)
{
    RECT rc = GetClientRect();
    ::MapWindowPoints(m_hWnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    mainwnd::Rect band = mainwnd::DragBand(ToRect(rc), m_fScale);
    m_bInCaption = band.Contains(screen.x, screen.y);
    return m_bInCaption ? HTCAPTION : Default();
}

// The please-wait dialog ends on the close request and on nothing else, also
// when the request comes before the dialog is up or from another thread; its
// window goes when it ends, whether or not the object lives on; and the
// window it covers takes input again exactly when no modal dialog is left
// over it, however the worker's reports and the prompts they open interleave
// and whichever thread runs each loop.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "app/AppMessages.h"
#include "framework/ModalOwner.h"
#include "res/resource.h"
#include "tests/support/TestSupport.h"
#include "tests/win/PromptTestSupport.h"
#include "ui/ExecutePromptDlg.h"
#include "ui/PromptDlg.h"

namespace {

// Counts the attempts to end it that reach it (keys, close, cancel), and
// the destruction of its window that its own handlers see.
class CWatchedPleaseWait : public CExecutePromptDlg {
public:
    using CExecutePromptDlg::CExecutePromptDlg;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            ++m_nAttempts;
        return CExecutePromptDlg::PreTranslateMessage(pMsg);
    }
    std::atomic<int> m_nAttempts{0};
    std::atomic<int> m_nDestroys{0};

protected:
    void OnDestroy() override
    {
        ++m_nDestroys;
        CExecutePromptDlg::OnDestroy();
    }
    void OnClose() override
    {
        ++m_nAttempts;
        CExecutePromptDlg::OnClose();
    }
    bool OnCommand(UINT id, UINT code, HWND control) override
    {
        if (id == IDCANCEL)
            ++m_nAttempts;
        return CExecutePromptDlg::OnCommand(id, code, control);
    }
};

// The dialog's window once it shows; null after 5 s.
HWND WaitShown(const CDialog& dlg)
{
    HWND h = nullptr;
    vt::WaitFor([&] { return (h = dlg.m_hWnd) != nullptr && ::IsWindowVisible(h); }, 5000, 10);
    return ::IsWindowVisible(h) ? h : nullptr;
}

// An owner in the role of the main window: hidden, so that nothing but the
// dialogs themselves gives its thread a message.
class COwner : public CWnd {
public:
    COwner()
    {
        // A window that could not be made leaves the owner unbound, which the checks see.
        (void)SubclassWindow(::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                               ::GetModuleHandleW(nullptr), nullptr));
    }
    ~COwner() override
    {
        if (HWND h = UnsubclassWindow())
            ::DestroyWindow(h);
    }
    // A round trip through the owner's thread: every notification sent to it
    // before this call has been handled when it returns.
    void Sync() const { ::SendMessageW(m_hWnd, WM_NULL, 0, 0); }
    bool TakesInput() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
};

// The main window's part in a repair: forwards the close request to the
// please-wait dialog and answers the result with a prompt, as the tool does.
class CReportTarget : public COwner {
public:
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == WM_CLOSE_EXECUTE_PROMPT) {
            m_pPleaseWait->RequestClose();
            if (m_bResultInsideTheLoop)
                LetTheResultComeFirst();
            return 1;
        }
        if (msg == WM_REPAIR_RESULT) {
            CPromptDlg prompt(m_hWnd);
            prompt.SetMessage(L"修复方案安装失败");
            prompt.SetPromptType(3);
            m_pPrompt = &prompt;
            m_nPromptResult = prompt.DoModal();
            m_pPrompt = nullptr;
            m_bResultHandled = true;
            return 1;
        }
        return COwner::OnMessage(msg, w, l);
    }

    CExecutePromptDlg* m_pPleaseWait = nullptr;
    bool m_bResultInsideTheLoop = false;
    std::atomic<CPromptDlg*> m_pPrompt{nullptr};
    INT_PTR m_nPromptResult = -1;
    std::atomic<bool> m_bResultHandled{false};

private:
    // Lets the worker go on at once and waits until its result is queued, so
    // the please-wait dialog's loop meets the result before anything posted:
    // the order a busy machine makes now and then.
    static void LetTheResultComeFirst()
    {
        ::ReplyMessage(1);
        vt::WaitFor([] { return (HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; }, 5000, 1);
    }
};

// The content window of the prompt box that is up, if any.
HWND PromptContent(CPromptDlg* box)
{
    if (!box || !box->m_hWnd)
        return nullptr;
    for (HWND h : vt::TopLevelWindows(::GetCurrentProcessId()))
        if (::GetWindow(h, GW_OWNER) == box->m_hWnd && ::GetDlgItem(h, IDC_STATIC_PROMPT))
            return h;
    return nullptr;
}

}  // namespace

TEST(PleaseWait, CloseRequestedBeforeItShowsEndsItAtOnce)
{
    CExecutePromptDlg dlg;
    dlg.SetMessage(L"正在确认主机信息，请稍等");
    dlg.RequestClose();
    DWORD start = ::GetTickCount();
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_LT(::GetTickCount() - start, 3000u);
}

TEST(PleaseWait, OnlyTheCloseRequestFromAnotherThreadEndsIt)
{
    CWatchedPleaseWait dlg;
    dlg.SetMessage(L"修复方案部署安装中，请稍后");
    bool shown = false, upAfterAttempts = false;
    std::thread poke([&] {
        HWND h = WaitShown(dlg);
        shown = h != nullptr;
        if (shown) {
            for (WPARAM key : {VK_ESCAPE, VK_RETURN})
                ::PostMessageW(h, WM_KEYDOWN, key, 1);
            ::PostMessageW(h, WM_CLOSE, 0, 0);
            ::PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
            // The loop takes posted messages in order: once the last has
            // reached the dialog, every attempt has had its chance.
            vt::WaitFor([&] { return dlg.m_nAttempts >= 4; }, 5000, 10);
            upAfterAttempts = dlg.m_nAttempts >= 4 && ::IsWindowVisible(h);
        }
        dlg.RequestClose();   // ends it in any case, so a fault cannot hang the test
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    poke.join();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(upAfterAttempts) << "something other than the close request ended it";
}

TEST(PleaseWait, ItsWindowGoesWithTheEndOfItsRunOrOfItsObject)
{
    // The object may outlive its window (the main window keeps the last
    // please-wait dialog), never the other way round: the window goes at the
    // end of a modal run and with EndDialog of a modeless dialog, its own
    // handlers seeing it go, and else with the object.
    enum How { kModalRun, kEndDialog, kObject };
    struct Case { const char* what; How how; } cases[] = {
        {"modal run", kModalRun},
        {"modeless, EndDialog", kEndDialog},
        {"modeless, the object", kObject},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto dlg = std::make_unique<CWatchedPleaseWait>();
        HWND h = nullptr;
        if (c.how == kModalRun) {
            std::thread closer([&] {
                h = WaitShown(*dlg);
                dlg->RequestClose();
            });
            EXPECT_EQ(dlg->DoModal(), IDOK);
            closer.join();
        } else {
            ASSERT_TRUE(dlg->Create(IDD_PLEASE_WAIT, nullptr));
            h = dlg->m_hWnd;
            if (c.how == kEndDialog)
                dlg->EndDialog(IDOK);
            else
                dlg.reset();
        }
        ASSERT_NE(h, nullptr);
        EXPECT_FALSE(::IsWindow(h));
        if (dlg) {
            EXPECT_EQ(dlg->m_nDestroys, 1);
        }
    }
}

TEST(PleaseWait, AResultPromptOpenedInsideItsLoopLeavesTheOwnerUsable)
{
    // The worker's close request and its result both reach the owner while
    // the please-wait dialog's loop runs; the result's prompt runs a loop of
    // its own inside. Once it is answered, both are gone and the owner takes
    // input again, each time.
    skintest::EnsureGdiplus();
    for (bool resultInsideTheLoop : {true, false}) {
        SCOPED_TRACE(resultInsideTheLoop ? "result inside the loop" : "result after the loop");
        CReportTarget target;
        ASSERT_TRUE(target.m_hWnd);
        CExecutePromptDlg pleaseWait(target.m_hWnd);
        pleaseWait.SetMessage(L"修复方案部署安装中，请稍后");
        target.m_pPleaseWait = &pleaseWait;
        target.m_bResultInsideTheLoop = resultInsideTheLoop;
        CRepairWorker worker;
        ASSERT_TRUE(worker.SetMsgWnd(target.m_hWnd, kWorkerMessages));

        std::atomic<bool> ended{false};
        bool rescued = false;
        INT_PTR r = prompttest::RunDriven(
            [&] {
                INT_PTR result = pleaseWait.DoModal();
                ended = true;
                // Back in the main window's own loop, which handles a result
                // that comes after the dialog has gone.
                vt::WaitFor([&] {
                    MSG m;
                    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                        ::TranslateMessage(&m);
                        ::DispatchMessageW(&m);
                    }
                    return target.m_bResultHandled.load();
                }, 10000, 10);
                return result;
            },
            [&] {
                HWND shown = WaitShown(pleaseWait);
                if (!shown)
                    return;
                // Past the dialog's own start-up timer, so no message of its own
                // can wake a loop that missed its end: once the dots have moved
                // (their timer is due later, on the same thread), it has fired.
                auto* dots = dynamic_cast<CDrawStateInfoStatic*>(
                    CWnd::FromHandle(::GetDlgItem(shown, IDC_STATIC_PLEASE_WAIT)));
                vt::WaitFor([&] { return dots && dots->GetDotCount() > 0; }, 5000);
                std::thread reporter([&] { worker.ReportRepairResult(ERepairResult::Failed); });
                HWND content = nullptr;
                vt::WaitFor([&] { return (content = PromptContent(target.m_pPrompt)) != nullptr; }, 5000);
                if (content) {
                    vt::WaitFor([&] { return vt::Click(::GetDlgItem(content, IDC_BTN_PROMPT_FIRST)); }, 2000);
                    vt::WaitFor([&] { return !::IsWindowVisible(content) || !target.m_pPrompt; }, 5000);
                }
                reporter.join();
                vt::WaitFor([&] { return ended.load(); }, 3000);
            },
            [&] { ::PostMessageW(pleaseWait.m_hWnd, WM_NULL, 0, 0); },   // wakes a loop stuck in its wait
            &rescued);
        EXPECT_EQ(r, IDOK);
        EXPECT_EQ(target.m_nPromptResult, IDOK);
        EXPECT_FALSE(rescued) << "the please-wait dialog's loop never noticed its end";
        EXPECT_TRUE(target.TakesInput());
        EXPECT_EQ(ModalsOver(target.m_hWnd), 0);
    }
}

TEST(PleaseWait, TheOwnerTakesInputOnlyWhenNoModalDialogOfAnyThreadIsLeft)
{
    // One please-wait dialog on the owner's thread (the repair's), one on a
    // thread of its own (the host check's); they start and end in every order.
    skintest::EnsureGdiplus();
    struct Case { const char* name; bool otherStartsFirst; bool ownEndsFirst; } cases[] = {
        {"other thread's starts first and ends first", true, false},
        {"other thread's starts first and ends last", true, true},
        {"owner thread's starts first and ends first", false, true},
        {"owner thread's starts first and ends last", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        COwner owner;
        ASSERT_TRUE(owner.m_hWnd);
        CExecutePromptDlg own(owner.m_hWnd), other(owner.m_hWnd);
        own.SetMessage(L"修复方案部署安装中，请稍后");
        other.SetMessage(L"正在确认主机信息，请稍等");
        std::atomic<bool> otherEnded{false};
        std::thread otherThread;
        // While the owner's thread runs no loop of its own, it looks at its
        // queue: that handles what the other thread sends it, notifications
        // included (the other thread's dialog is owned by its window).
        auto syncHere = [] {
            MSG m;
            ::PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
        };
        auto startOther = [&](bool onOwnersThread) {
            otherThread = std::thread([&] {
                (void)other.DoModal();   // its end is what counts here, not its result
                otherEnded = true;
            });
            return vt::WaitFor([&] {
                if (onOwnersThread)
                    syncHere();
                return other.m_hWnd && ::IsWindowVisible(other.m_hWnd);
            }, 5000, 10);
        };

        bool offWithOne = false, offWithBoth = false, offAfterFirstEnd = false, rescued = false;
        HWND activeAfterFirstEnd = nullptr, left = nullptr;
        if (c.otherStartsFirst) {
            ASSERT_TRUE(startOther(true));
            syncHere();
            offWithOne = !owner.TakesInput();
        }
        prompttest::RunDriven(
            [&] { return own.DoModal(); },
            [&] {
                if (!WaitShown(own))
                    return;
                owner.Sync();
                if (!c.otherStartsFirst) {
                    offWithOne = !owner.TakesInput();
                    if (!startOther(false))
                        return;
                    owner.Sync();
                }
                offWithBoth = !owner.TakesInput();
                if (c.ownEndsFirst) {
                    own.RequestClose();   // the rest is seen once the owner's thread is free again
                    return;
                }
                other.RequestClose();
                if (!vt::WaitFor([&] { return otherEnded.load(); }, 5000))
                    return;
                owner.Sync();
                offAfterFirstEnd = !owner.TakesInput();
                left = own.m_hWnd;
                // Activation reaches the window's thread as a message: wait for it.
                vt::WaitFor([&] { return (activeAfterFirstEnd = ::GetForegroundWindow()) == left; }, 3000, 10);
                own.RequestClose();
            },
            [&] {
                own.RequestClose();
                other.RequestClose();
            },
            &rescued);
        if (c.ownEndsFirst) {
            syncHere();
            offAfterFirstEnd = !owner.TakesInput() && !otherEnded;
            left = other.m_hWnd;
            vt::WaitFor([&] {
                syncHere();
                return (activeAfterFirstEnd = ::GetForegroundWindow()) == left;
            }, 3000, 10);
            other.RequestClose();
        }
        vt::WaitFor([&] {
            syncHere();
            return otherEnded.load();
        }, 5000, 10);
        if (otherThread.joinable())
            otherThread.join();
        syncHere();
        EXPECT_FALSE(rescued);
        EXPECT_TRUE(offWithOne);
        EXPECT_TRUE(offWithBoth);
        EXPECT_TRUE(offAfterFirstEnd) << "the owner took input while a dialog was still up";
        EXPECT_EQ(activeAfterFirstEnd, left) << "activation left the dialog that was still up";
        EXPECT_TRUE(owner.TakesInput()) << "the owner stayed disabled after the last dialog";
        EXPECT_EQ(ModalsOver(owner.m_hWnd), 0);
    }
}

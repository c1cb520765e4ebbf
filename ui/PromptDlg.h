// The prompt box: a borderless, per-pixel-alpha window showing the card with
// its soft shadow, and above it the content window (title strip, message,
// close button, one or two buttons) that the user drags.
// DoModal returns IDOK for the first button ("是" / "确定"), IDCANCEL for the
// second or the close button. Esc and Enter do nothing.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Gdi.h"

class CPromptChildDlg;

class CPromptDlg : public CDialog {
public:
    explicit CPromptDlg(HWND hParent = nullptr);
    ~CPromptDlg() override;

    void SetMessage(const std::wstring& text) { m_strMessage = text; }
    void SetPromptType(int type) { m_nPromptType = type; }

    // What went wrong while the box came up (log lines, UTF-8), for its owner
    // to report: it still comes up, or ends with IDCANCEL, whatever failed.
    const std::vector<const char*>& Failures() const { return m_failures; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    float m_fScale = 1.0f;

protected:
    void OnMove(int x, int y) override;
    void OnClose() override { OnCancel(); }
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

private:
    bool PaintLayered(int w, int h);
    void HideContent();
    // The content window was dragged to rc (screen): the box goes around it
    // and stops driving it from now on.
    void FollowContent(const RECT& rc);

    CImageRef m_backgroundImage;                  // PNG 136, the process's
    std::wstring m_strMessage;
    int m_nPromptType = 1;
    bool m_bFollow = true;
    std::unique_ptr<CPromptChildDlg> m_pContent;
    std::vector<const char*> m_failures;
};

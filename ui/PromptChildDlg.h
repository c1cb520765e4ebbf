// The prompt box's content window: an opaque, rounded popup over the card of
// the box, with the title strip (drag handle), the message, a close button
// and one or two buttons. It tells the box (the window it was created for)
// by message which button was used and where it was dragged. Its window
// text is the message, and each button's the text its image shows. In high
// contrast its ground is the system's window colour, edged in window text.
#pragma once
#include <string>

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "ui/DrawStatic.h"
#include "ui/ImageButton.h"
#include "ui/UiMessages.h"

class CPromptChildDlg : public CDialog {
public:
    CPromptChildDlg();

    void SetMessage(const std::wstring& text) { m_strMessage = text; }
    void SetPromptType(int type) { m_nPromptType = type; }

    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    float m_fScale = 1.0f;

protected:
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnEraseBkgnd(HDC hDC) override;
    LRESULT OnNcHitTest(POINT screen) override;
    void OnMove(int x, int y) override;
    void OnClose() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

private:
    void LayoutControls(bool first);

    bool m_bInitialised = false;
    CPngButton m_btnClose;
    CImageButton m_btnFirst;
    CImageButton m_btnSecond;
    CDrawTextStatic m_staticMessage;
    std::wstring m_strMessage;
    int m_nPromptType = 1;
    bool m_bCaptionHit = false;
    CImageRef m_backgroundImage;   // PNG 169, the process's; shared with the controls
};

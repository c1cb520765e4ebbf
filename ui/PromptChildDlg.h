// The prompt box's content window: an opaque, rounded popup over the card of
// its background window, with the title strip (drag handle), the message, a
// close button and one or two buttons. It reports the button used to the
// window it was created for (its owner).
#pragma once
#include <string>

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "ui/DrawStatic.h"
#include "ui/ImageButton.h"

class CPromptChildDlg : public CDialog {
public:
    CPromptChildDlg();
    ~CPromptChildDlg() override;

    void SetMessage(const std::wstring& text) { m_strMessage = text; }
    void SetPromptType(int type) { m_nPromptType = type; }

    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    float m_fScale = 1.0f;

private:
    void LayoutControls(bool first);
    bool EnsureBackground();
    LRESULT OnNcHitTest(LPARAM lParam);
    void OnDestroy();

    bool m_bInitialised = false;
    CPngButton m_btnClose;
    CImageButton m_btnFirst;
    CImageButton m_btnSecond;
    CDrawTextStatic m_staticMessage;
    std::wstring m_strMessage;
    int m_nPromptType = 1;
    bool m_bCaptionHit = false;
    Gdiplus::GpImage* m_pBkImage = nullptr;   // PNG 169, owned; shared with the controls
};

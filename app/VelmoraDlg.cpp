#include "app/VelmoraDlg.h"

CVelmoraDlg::CVelmoraDlg() : CDialog(IDD_VELMORA_DIALOG) {}

BOOL CVelmoraDlg::OnInitDialog()
{
    CDialog::SetMainWindow(m_hWnd);
    SetWindowText(L"Velmora");
    return TRUE;
}

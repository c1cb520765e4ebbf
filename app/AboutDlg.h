#pragma once
#include "framework/Dialog.h"
#include "res/resource.h"

// The about box reached from the system menu.
class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND hParent) : CDialog(IDD_ABOUTBOX, hParent) {}
};

#pragma once
#include "framework/Dialog.h"
#include "res/resource.h"

class CVelmoraDlg : public CDialog {
public:
    CVelmoraDlg();
    BOOL OnInitDialog() override;
};

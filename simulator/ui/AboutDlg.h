// Help > About: the program's name, version and notice from its version
// record, the robot database's version and the motion library's.
#pragma once

#include "platform/ui/Dialog.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* pParent = nullptr);
    BOOL OnInitDialog() override;
};

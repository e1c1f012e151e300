// The point table's detail settings: point type (standard or custom units)
// and acceleration optimisation, over K71. The position decimals (K72) pass
// through the dialog unseen and come back as they were given.
#pragma once

#include "platform/ui/Dialog.h"
#include "simulator/core/PointDetailSettings.h"

class CPointTableDetailDlg : public CDialog {
public:
    explicit CPointTableDetailDlg(CWnd* pParent = nullptr);

    int SetValues(std::int32_t flags, std::int32_t decimals, const CString& code);
    int GetValues(std::int32_t& flags, std::int32_t& decimals) const;

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    PointDetailSettings m_settings;
    std::int32_t m_decimalsGiven = 2;
};

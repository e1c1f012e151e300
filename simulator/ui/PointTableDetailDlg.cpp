#include "simulator/ui/PointTableDetailDlg.h"

#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "resources/simulator/pellarun_ids.h"

CPointTableDetailDlg::CPointTableDetailDlg(CWnd* pParent) : CDialog(IDD_POINT_DETAIL, pParent) {}

int CPointTableDetailDlg::SetValues(std::int32_t flags, std::int32_t decimals, const CString& code)
{
    m_settings = PointDetailSettings::From(flags, decimals, code);
    m_decimalsGiven = decimals;
    return 1;
}

int CPointTableDetailDlg::GetValues(std::int32_t& flags, std::int32_t& decimals) const
{
    flags = m_settings.Flags();
    // The decimals cannot be changed here; whatever K72 held (also a value
    // the hidden list does not offer) goes back unchanged, so no point is
    // rescaled by opening this dialog.
    decimals = m_decimalsGiven;
    return 1;
}

BOOL CPointTableDetailDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CheckRadioButton(IDC_DETAIL_STANDARD, IDC_DETAIL_CUSTOM,
                     m_settings.pointType ? IDC_DETAIL_CUSTOM : IDC_DETAIL_STANDARD);
    CheckRadioButton(IDC_DETAIL_OPT_ON, IDC_DETAIL_OPT_OFF,
                     m_settings.optimisation == 0 ? IDC_DETAIL_OPT_ON : IDC_DETAIL_OPT_OFF);
    if (auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_DETAIL_DECIMALS))) {
        combo->AddString(u"2");
        combo->AddString(u"3");
        if (m_settings.decimalsIndex >= 0 && m_settings.decimalsIndex <= 1) combo->SetCurSel(m_settings.decimalsIndex);
        combo->EnableWindow(m_settings.decimalsEnabled ? TRUE : FALSE);
        combo->ShowWindow(SW_HIDE);
    }
    if (CWnd* group = GetDlgItem(IDC_DETAIL_DECIMALS_GROUP)) group->ShowWindow(SW_HIDE);
    CenterWindow();
    return TRUE;
}

void CPointTableDetailDlg::OnOK()
{
    m_settings.pointType = IsDlgButtonChecked(IDC_DETAIL_CUSTOM) == BST_CHECKED ? 1 : 0;
    m_settings.optimisation = IsDlgButtonChecked(IDC_DETAIL_OPT_ON) == BST_CHECKED ? 0 : 1;
    EndDialog(IDOK);
}

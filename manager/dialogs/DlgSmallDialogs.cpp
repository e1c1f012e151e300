#include "manager/dialogs/DlgSmallDialogs.h"

#include "manager/dialogs/DialogHelpers.h"

#include "resources/manager/ctrldlgs_ids.h"
#include "resources/manager/resource_ids.h"

#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"

// --- Mode ----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDlgModeChange, CDialog)
    ON_CBN_SELCHANGE(IDC_MODE_COMBO, &CDlgModeChange::OnSelectionChange)
END_MESSAGE_MAP()

CDlgModeChange::CDlgModeChange(int mode, CWnd* pParent) : CDialog(IDD_MODE_CHANGE, pParent), m_mode(mode) {}

BOOL CDlgModeChange::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(LoadText(IDS_CD_MODE_TITLE));
    SetDlgItemText(IDC_MODE_FIELDBUS, LoadText(IDS_CD_MODE_FIELDBUS));
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_MODE_COMBO));
    for (UINT id : {IDS_MODE_0, IDS_MODE_1, IDS_MODE_2}) combo->AddString(LoadText(id));
    CheckDlgButton(IDC_MODE_FIELDBUS, m_mode > 3 ? BST_CHECKED : BST_UNCHECKED);
    if (IsKnownMode(m_mode)) {
        combo->SetCurSel(m_mode & 3);
        SetDlgItemText(IDC_MODE_CURRENT, u"");
    } else {
        // A code without an entry selects nothing, and OK waits for a choice.
        combo->SetCurSel(-1);
        CString text;
        text.Format(IDS_CD_MODE_UNKNOWN, m_mode);
        SetDlgItemText(IDC_MODE_CURRENT, text);
        GetDlgItem(IDOK)->EnableWindow(FALSE);
    }
    return TRUE;
}

void CDlgModeChange::OnSelectionChange()
{
    GetDlgItem(IDOK)->EnableWindow(static_cast<CComboBox*>(GetDlgItem(IDC_MODE_COMBO))->GetCurSel() >= 0);
}

void CDlgModeChange::OnOK()
{
    const int entry = static_cast<CComboBox*>(GetDlgItem(IDC_MODE_COMBO))->GetCurSel();
    if (entry < 0 || entry > 2) return;
    m_mode = entry + (IsDlgButtonChecked(IDC_MODE_FIELDBUS) == BST_CHECKED ? 4 : 0);
    CDialog::OnOK();
}

// --- Access code ---------------------------------------------------------------------------

CDlgParameterPassword::CDlgParameterPassword(CWnd* pParent) : CDialog(IDD_ACCESS_CODE, pParent) {}

BOOL CDlgParameterPassword::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(LoadText(IDS_CD_ACCESS_TITLE));
    static_cast<CEdit*>(GetDlgItem(IDC_ACCESS_CODE_EDIT))->LimitText(kMaxChars);
    return TRUE;
}

void CDlgParameterPassword::OnOK()
{
    GetDlgItemText(IDC_ACCESS_CODE_EDIT, m_text);
    m_text = m_text.Left(kMaxChars);
    CDialog::OnOK();
}

void CDlgParameterPassword::OnCancel()
{
    m_text.Empty();
    CDialog::OnCancel();
}

// --- Point detail --------------------------------------------------------------------------

CDlgPointInputDetail::CDlgPointInputDetail() : CDialog(IDD_POINT_DETAIL) {}

BOOL CDlgPointInputDetail::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_PD_LABEL, m_label);
    SetDlgItemText(IDC_PD_UNIT, m_unit);
    SetDlgItemText(IDC_PD_VALUE, m_value);
    static_cast<CEdit*>(GetDlgItem(IDC_PD_VALUE))->LimitText(m_limit);
    if (CWnd* hidden = GetDlgItem(IDC_PD_HIDDEN)) hidden->ShowWindow(SW_HIDE);
    if (m_pOwner) CenterWindow(m_pOwner);
    return TRUE;
}

void CDlgPointInputDetail::OnOK()
{
    GetDlgItemText(IDC_PD_VALUE, m_value);
    CDialog::OnOK();
}

BOOL OpenPointDetailEditor(const CString& label, const CString& unit, BYTE flag, CEdit* edit, CWnd* owner)
{
    if (!edit) return FALSE;
    CDlgPointInputDetail dialog;
    dialog.m_label = label;
    dialog.m_unit = unit;
    dialog.m_flag = flag;
    dialog.m_pOwner = owner;
    dialog.m_limit = static_cast<int>(edit->GetLimitText());
    edit->GetWindowText(dialog.m_value);
    if (dialog.DoModal() != IDOK) return FALSE;
    edit->SetWindowText(dialog.m_value);
    edit->SetModify(TRUE);
    return TRUE;
}

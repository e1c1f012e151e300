// The small modal dialogs of the controller windows: the operating mode, the
// access code and the text of one point field.
//
// Callers:
//   CDlgModeChange dlg(k20);  if (dlg.DoModal() == IDOK) write dlg.GetMode() to K20;
//   CDlgParameterPassword dlg;  if (dlg.DoModal() == IDOK) check dlg.GetEnteredText();
//   OpenPointDetailEditor(label, unit, flag, &edit, owner)   (from the point input dialog)
#pragma once

#include "platform/ui/Dialog.h"

// ModeNameOfCode, the name of a mode code, is shared with the transports.
#include "manager/app/TransportRules.h"

class CEdit;


class CDlgModeChange : public CDialog {
public:
    explicit CDlgModeChange(int mode = 0, CWnd* pParent = nullptr);
    int GetMode() const { return m_mode; }
    // Codes 3 and 7 (and anything outside 0 to 7) have no entry.
    static bool IsKnownMode(int mode) { return mode >= 0 && mode <= 7 && (mode & 3) != 3; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnSelectionChange();
    DECLARE_MESSAGE_MAP()

private:
    int m_mode;
};

class CDlgParameterPassword : public CDialog {
public:
    static constexpr int kMaxChars = 8;
    explicit CDlgParameterPassword(CWnd* pParent = nullptr);
    const CString& GetEnteredText() const { return m_text; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    CString m_text;
};

class CDlgPointInputDetail : public CDialog {
public:
    CDlgPointInputDetail();
    CWnd* m_pOwner = nullptr;
    CString m_label;
    CString m_unit;
    BYTE m_flag = 0;
    int m_limit = 0;
    CString m_value;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};

// Edits the text of a point field in a dialog of its own: TRUE, with the
// edit holding the new text and marked modified, when the user confirmed.
BOOL OpenPointDetailEditor(const CString& label, const CString& unit, BYTE flag, CEdit* edit, CWnd* owner);

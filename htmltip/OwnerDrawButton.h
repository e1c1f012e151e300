// COwnerDrawButton turns a dialog's button into an owner-drawn one without
// losing the dialog's default-button behaviour: it remembers what kind of
// button it was and answers the dialog's questions (WM_GETDLGCODE) and
// restyling (BM_SETSTYLE) as that kind would.
#pragma once

#include "platform/ui/Button.h"

class COwnerDrawButton : public CButton {
    DECLARE_DYNAMIC(COwnerDrawButton)

public:
    COwnerDrawButton() = default;

    // The type the button had before it became owner-drawn (BS_TYPEMASK
    // bits); 15 until the button is subclassed.
    UINT GetButtonType() const { return m_buttonType; }
    BOOL IsDefault() const { return m_isDefault ? TRUE : FALSE; }
    // Whether the button may take the default-button look. Clearing it on
    // the default button restyles it as a plain push button.
    void SetDefault(BOOL canBeDefault);
    // Moves the default-button look to control id of the dialog, as dialogs do.
    static void SetDefaultButton(CWnd* dialog, UINT id);

protected:
    void PreSubclassWindow() override;
    afx_msg UINT OnGetDlgCode();
    afx_msg LRESULT OnSetStyle(WPARAM style, LPARAM redraw);
    DECLARE_MESSAGE_MAP()

    bool m_canBeDefault = false;
    bool m_isDefault = false;
    UINT m_buttonType = 15;
};

// Dialogs built from the DIALOG(EX) templates of the current resource module.
//
// The dialog and its controls are windows with their ids; controls are
// placed by dialog units of the dialog font (a horizontal unit is a quarter
// of the font's average character width, a vertical one an eighth of its
// height), with faces substituted by installed fonts. Every control gets a
// CWnd of the window layer until the program binds one of its own
// (DDX_Control, SubclassDlgItem). Tab order is the template's order over
// WS_TABSTOP controls; Enter presses the default button (DM_GETDEFID, the
// focused push button first) and Escape sends IDCANCEL, unless the focused
// control wants the key (WM_GETDLGCODE) or a PreTranslateMessage takes it.
//
// DoModal disables the owner (the parent given, else the active window),
// shows the dialog after WM_INITDIALOG and runs a modal loop that sends
// WM_KICKIDLE when the queue is empty (so update handlers can run through
// UpdateDialogControls); EndDialog ends it; the dialog is destroyed before
// DoModal returns. DoModal gives -1 when the template is missing or
// malformed, or when WM_QUIT ends the loop.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/ResourceTemplates.h"
#include "platform/ui/WindowApi.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Modeless: the dialog window stays until DestroyWindow.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    BOOL CreateIndirect(const platform::DialogTemplate& dialogTemplate, CWnd* pParentWnd = nullptr);
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);
    void SetDefID(UINT nID);
    DWORD GetDefID() const;
    void MapDialogRect(RECT* lpRect) const;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    // The template: a number or a name (empty when given by number).
    UINT m_nIDTemplate = 0;
    CString m_strTemplateName;

    afx_msg LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

    BOOL CreateFromTemplate(const platform::DialogTemplate& dialogTemplate, CWnd* pParentWnd, bool modal);
    // The template of m_nIDTemplate or m_strTemplateName from the current
    // resource module; false (with a line on stderr) when missing or damaged.
    bool LoadTemplate(platform::DialogTemplate& dialogTemplate) const;

    DECLARE_MESSAGE_MAP()
};

namespace platform {

// The window class of dialogs.
inline constexpr const char16_t* kDialogClassName = u"#32770";

// Creates the windows of a template under parent (null: a top-level dialog
// without owner); sends WM_SETFONT, WM_INITDIALOG (lParam initParam) and
// sets the focus; shows a modeless dialog whose template is WS_VISIBLE.
// False when the dialog window cannot be made.
bool CreateDialogWindows(CWnd& dialog, const DialogTemplate& dialogTemplate, HWND parent, LPARAM initParam,
                         bool modal);

// The client size in pixels that a template asks for, by its own font.
SIZE DialogTemplateSize(const DialogTemplate& dialogTemplate);

// Runs dialog modally from a template (made a popup) over the top-level
// window of parent, else of the active window, which stays disabled
// meanwhile; the window is destroyed before it returns. The result of
// EndDialog, or -1 when the window cannot be made or WM_QUIT ends the loop.
INT_PTR RunModalDialog(CWnd& dialog, DialogTemplate dialogTemplate, CWnd* parent);

}  // namespace platform

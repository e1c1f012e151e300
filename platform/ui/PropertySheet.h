// Property sheets: a dialog with a tab control over pages (child dialogs from
// their own templates) and the buttons OK, Cancel, Apply (unless
// PSH_NOAPPLYNOW) and Help (when the sheet or a page asks for it).
//
// Pages are created when first shown; only created pages take part in
// applying and resetting. The page's virtuals are the notifications:
//   switching away or OK/Apply  OnKillActive (default: UpdateData(TRUE));
//                               FALSE keeps the page
//   showing                     OnSetActive (default: UpdateData(FALSE)
//                               after the first time); FALSE refuses it
//   OK or Apply                 OnApply on every created page (default:
//                               OnOK, which does nothing); FALSE shows that
//                               page and keeps the sheet open
//   Cancel, Escape, closing     OnQueryCancel on the shown page (FALSE keeps
//                               the sheet), then OnReset (default: OnCancel)
//                               on every created page
// SetModified enables Apply while any page is modified; Apply clears it.
// DoModal gives IDOK or IDCANCEL, -1 when a page template is missing or the
// sheet has no pages. A modeless sheet (Create) destroys its window after OK
// or Cancel. Neither the sheet nor its pages ask for help by default: the
// programs have no help files.
#pragma once

#include <vector>

#include "platform/ui/Dialog.h"
#include "platform/ui/TabCtrl.h"

inline constexpr DWORD PSH_DEFAULT = 0x00000000;
inline constexpr DWORD PSH_PROPTITLE = 0x00000001;
inline constexpr DWORD PSH_USEHICON = 0x00000002;
inline constexpr DWORD PSH_PROPSHEETPAGE = 0x00000008;
inline constexpr DWORD PSH_NOAPPLYNOW = 0x00000080;
inline constexpr DWORD PSH_HASHELP = 0x00000200;
inline constexpr DWORD PSH_MODELESS = 0x00000400;
inline constexpr DWORD PSH_NOCONTEXTHELP = 0x02000000;

inline constexpr DWORD PSP_DEFAULT = 0x00000000;
inline constexpr DWORD PSP_DLGINDIRECT = 0x00000001;
inline constexpr DWORD PSP_USETITLE = 0x00000008;
inline constexpr DWORD PSP_HASHELP = 0x00000020;

inline constexpr UINT PSM_SETCURSEL = WM_USER + 101;
inline constexpr UINT PSM_REMOVEPAGE = WM_USER + 102;
inline constexpr UINT PSM_CHANGED = WM_USER + 104;
inline constexpr UINT PSM_CANCELTOCLOSE = WM_USER + 107;
inline constexpr UINT PSM_QUERYSIBLINGS = WM_USER + 108;
inline constexpr UINT PSM_UNCHANGED = WM_USER + 109;
inline constexpr UINT PSM_APPLY = WM_USER + 110;
inline constexpr UINT PSM_PRESSBUTTON = WM_USER + 113;
inline constexpr UINT PSM_GETTABCONTROL = WM_USER + 116;
inline constexpr UINT PSM_GETCURRENTPAGEHWND = WM_USER + 118;
inline constexpr UINT PSM_SETTITLEW = WM_USER + 120;
inline constexpr UINT PSM_SETTITLE = PSM_SETTITLEW;

inline constexpr int PSBTN_OK = 3;
inline constexpr int PSBTN_APPLYNOW = 4;
inline constexpr int PSBTN_CANCEL = 5;
inline constexpr int PSBTN_HELP = 6;

// Ids of the sheet's own controls.
inline constexpr UINT AFX_IDC_TAB_CONTROL = 0x3020;
inline constexpr UINT ID_APPLY_NOW = 0x3021;
// Also in FrameIds.h: whichever comes first defines it.
#if !defined(ID_HELP) && !defined(QV_ID_HELP_DEFINED)
#define QV_ID_HELP_DEFINED
inline constexpr UINT ID_HELP = 0xE146;
#endif

struct PROPSHEETPAGEW {
    DWORD dwSize = sizeof(PROPSHEETPAGEW);
    DWORD dwFlags = PSP_DEFAULT;
    HINSTANCE hInstance;
    LPCWSTR pszTemplate = nullptr;
    LPCWSTR pszTitle = nullptr;
    LPARAM lParam = 0;
};
using PROPSHEETPAGE = PROPSHEETPAGEW;

struct PROPSHEETHEADERW {
    DWORD dwSize = sizeof(PROPSHEETHEADERW);
    DWORD dwFlags = PSH_PROPSHEETPAGE;
    HWND hwndParent;
    HINSTANCE hInstance;
    LPCWSTR pszCaption = nullptr;
    UINT nPages = 0;
    UINT nStartPage = 0;
};
using PROPSHEETHEADER = PROPSHEETHEADERW;

class CPropertySheet;

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)

public:
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0, DWORD dwSize = sizeof(PROPSHEETPAGEW));
    explicit CPropertyPage(LPCTSTR lpszTemplateName, UINT nIDCaption = 0, DWORD dwSize = sizeof(PROPSHEETPAGEW));
    ~CPropertyPage() override;

    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    virtual BOOL OnQueryCancel();
    // The sheet's OK and Cancel reach pages through OnApply and OnReset;
    // neither closes anything.
    void OnOK() override;
    void OnCancel() override;

    void SetModified(BOOL bChanged = TRUE);
    void CancelToClose();
    LRESULT QuerySiblings(WPARAM wParam, LPARAM lParam);

    // A page is part of a sheet, never a dialog of its own.
    INT_PTR DoModal() override { return -1; }

    PROPSHEETPAGE m_psp;

private:
    friend class CPropertySheet;
    CString m_strCaption;
    bool m_firstSetActive = true;
    bool m_modified = false;
};

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)

public:
    CPropertySheet();
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* pPage);
    void RemovePage(CPropertyPage* pPage);
    void RemovePage(int nPage);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(CPropertyPage* pPage) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage);
    CTabCtrl* GetTabControl() const;
    void SetTitle(LPCTSTR lpszText, UINT nStyle = 0);
    void PressButton(int nButton);
    void EndDialog(int nEndID);

    virtual INT_PTR DoModal();
    // Modeless; dwStyle (UINT(-1): a captioned popup) and dwExStyle.
    virtual BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = static_cast<DWORD>(-1), DWORD dwExStyle = 0);
    virtual BOOL OnInitDialog();

    BOOL PreTranslateMessage(MSG* pMsg) override;

    PROPSHEETHEADER m_psh;
    CWnd* m_pParentWnd = nullptr;

protected:
    afx_msg LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    afx_msg void OnOKButton();
    afx_msg void OnCancelButton();
    afx_msg void OnApplyButton();
    afx_msg void OnHelpButton();
    afx_msg void OnClose();
    afx_msg void OnTabChanging(NMHDR* pNotify, LRESULT* pResult);
    afx_msg void OnTabChanged(NMHDR* pNotify, LRESULT* pResult);
    afx_msg LRESULT HandleSetCurSel(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT HandleChanged(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT HandleUnchanged(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT HandleCancelToClose(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT HandleQuerySiblings(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT HandleApply(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT HandlePressButton(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT HandleGetTabControl(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT HandleGetCurrentPage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT HandleSetTitle(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    bool BuildTemplate(platform::DialogTemplate& sheet, DWORD style, DWORD exStyle);
    void LayOut();
    bool CreatePage(int index);
    bool ShowPage(int index);
    bool LeaveActivePage();
    bool ApplyAll();
    void ResetAll();
    void Finish(int result);
    void UpdateApplyButton();

    std::vector<CPropertyPage*> m_pages;
    std::vector<platform::DialogTemplate> m_templates;
    CString m_strCaption;
    int m_active = -1;
    bool m_modal = false;
};

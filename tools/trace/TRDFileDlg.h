// The open and save dialog of trace data files (".trd"). Besides choosing a
// folder and a file it previews the file that is selected: the graph title,
// the controller, version and actuator it was traced on and the four channel
// labels ("ERROR" in every field for a file that is not a trace data file,
// nothing for one that cannot be read). An open dialog also offers "open in
// a new viewer" (box 21822), which the caller may set before and reads
// after, and which it can lock (checked and disabled). The dialog places
// itself over its owner.
//
//   CTRDFileDlg dialog(TRUE, u"trd", strLastPath, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter, this);
//   dialog.m_bOpenInViewer = bViewer;
//   if (dialog.DoModal() == IDOK) Open(dialog.GetPathName(), dialog.m_bOpenInViewer);
#pragma once

#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/ListBox.h"

#include <utility>
#include <vector>

class CTRDFileDlg : public CDialog {
    DECLARE_DYNAMIC(CTRDFileDlg)

public:
    // The preview fields, in the order of their controls 21814 to 21821.
    enum PreviewField { kTitle, kController, kVersion, kRobot, kLabel1, kLabel2, kLabel3, kLabel4, kPreviewFields };
    enum class PreviewResult { Read, NotTraceData, Unreadable };

    // lpszFileName: a file name or a path (its folder is where the dialog
    // starts; the current folder otherwise). lpszFilter: "Text|*.a;*.b|...||".
    CTRDFileDlg(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags, LPCTSTR lpszFilter,
                CWnd* pOwner, BOOL bLock = FALSE);

    CString GetPathName() const { return m_strPath; }
    CString GetFileName() const;
    CString GetFileTitle() const;

    // The state of box 21822 (open in a new viewer).
    BOOL m_bOpenInViewer = FALSE;
    // Set: the box is checked and cannot be changed.
    BOOL m_bLock = FALSE;

    // The preview texts of a file: its first blocks only, without messages.
    static PreviewResult ReadPreview(const CString& strPath, CString (&texts)[kPreviewFields]);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    afx_msg void OnUp();
    afx_msg void OnSelChangeList();
    afx_msg void OnDblClkList();
    afx_msg void OnChangeName();
    afx_msg void OnSelChangeType();
    DECLARE_MESSAGE_MAP()

private:
    void Navigate(const CString& strFolder);
    void FillList();
    void ShowPreview(const CString& strPath);
    bool MatchesFilter(const CString& strName) const;
    CString Resolve(const CString& strName) const;

    BOOL m_bOpen;
    CString m_strDefExt;
    CString m_strInitialName;
    DWORD m_dwFlags;
    std::vector<std::pair<CString, CString>> m_filters;  // description, patterns
    CWnd* m_pOwner;
    CString m_strFolder;
    CString m_strPath;
    CString m_strPreviewed;
    std::vector<CString> m_folderNames;  // the list's folders, first in the list

    CEdit m_editFolder;
    CEdit m_editName;
    CListBox m_list;
    CComboBox m_cmbType;
};

// A trace-file viewer: a trace window without a link that shows one saved
// trace data file, with the same drawing, cursors, zoom and tool windows as
// the live trace window that opened it. The live window keeps the list of
// its viewers (CTraceToolWindows); a viewer tells it when it closes, and
// closes with it.
#pragma once

#include "tools/trace/KXWatcherDlg.h"

class CTRDViewerDlg : public CKXWatcherDlg {
    DECLARE_DYNAMIC(CTRDViewerDlg)

public:
    explicit CTRDViewerDlg(CKXWatcherDlg* pOwner);

    // Creates the viewer as a window of its own (no parent) and shows it.
    virtual BOOL Show(CKXWatcherDlg* pOwner);
    // Loads a trace data file into this viewer; what it showed stays when
    // the file does not load (after the message).
    BOOL LoadFile(const CString& strPath);
    BOOL IsFileShown() const { return !m_model.m_strFilePath.IsEmpty(); }
    CKXWatcherDlg* GetOwnerWindow() const { return m_pOwner; }
    BOOL DestroyWindow() override;

protected:
    BOOL OnInitDialog() override;
    void PostNcDestroy() override;

    afx_msg void OnViewerFileOpen();
    afx_msg void OnViewerOptions();
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void UpdateCaption();

    CKXWatcherDlg* m_pOwner;
    BOOL m_bClosing = FALSE;
};

// A document: the data behind one or more views, with a title, a path and
// a modified flag. Its template made it; its views are told of changes
// (UpdateAllViews); commands reach it after the active view.
//
// Files: OnOpenDocument and OnSaveDocument are where a document reads and
// writes its file. The defaults here read nothing (an existing, readable
// file opens) and write nothing: a document that keeps data in a file
// overrides OnSaveDocument, and the default refuses to save (FALSE) rather
// than claim that something was written.
#pragma once

#include "platform/core/CmdTarget.h"
#include "platform/core/CString.h"

#include <vector>

class CDocTemplate;
class CFrameWnd;
class CView;

// A position in a list of the class library (an index plus one; null ends).
using POSITION = struct PositionTag*;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)

public:
    CDocument();
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCTSTR lpszTitle);
    const CString& GetPathName() const { return m_strPathName; }
    // Sets the path and the title (the file name), and adds the path to the
    // application's recent files when bAddToMRU.
    virtual void SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU = TRUE);
    void ClearPathName();
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

    // Views.
    void AddView(CView* pView);
    void RemoveView(CView* pView);
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& rPosition) const;
    int GetViewCount() const { return static_cast<int>(m_views.size()); }
    // Calls OnUpdate of every view but pSender.
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);
    virtual void OnChangedViewList();
    // Changes the frames' titles after a change of the title.
    virtual void UpdateFrameCounts();

    // Life of a document.
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(LPCTSTR lpszPathName);
    virtual BOOL OnSaveDocument(LPCTSTR lpszPathName);
    // Destroys the frames of the views and then the document.
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}
    // Asks to save a modified document (Yes/No/Cancel); FALSE on Cancel or
    // when the save failed.
    virtual BOOL SaveModified();
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);
    // Save (to the path, or asking for one) and Save As (always asking).
    virtual BOOL DoFileSave();
    virtual BOOL DoSave(LPCTSTR lpszPathName, BOOL bReplace = TRUE);
    virtual void PreCloseFrame(CFrameWnd*) {}

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    afx_msg void OnFileClose();
    afx_msg void OnFileSave();
    afx_msg void OnFileSaveAs();

    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    BOOL m_bModified = FALSE;
    BOOL m_bAutoDelete = TRUE;

protected:
    DECLARE_MESSAGE_MAP()

private:
    friend class CDocTemplate;
    std::vector<CView*> m_views;
};

// Document templates: what a new document is made of (its document, frame
// and view classes, by their run-time class records) and the resources of
// its windows (the template's id names a string "window title\ndocument
// name\nnew-file name\nfilter name\nfilter extension\n...", and for
// multi-document templates the menu and accelerators its child frames show).
#pragma once

#include "platform/core/CmdTarget.h"
#include "platform/core/CString.h"
#include "platform/ui/Accelerator.h"
#include "platform/ui/Document.h"
#include "platform/ui/WindowApi.h"

#include <vector>

class CFrameWnd;
class CView;

// What a frame needs to make its views (passed as the creation parameter).
struct CCreateContext {
    CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

class CDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CDocTemplate)

public:
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
    enum Confidence { noAttempt, maybeAttemptForeign, maybeAttemptNative, yesAttemptForeign, yesAttemptNative, yesAlreadyOpen };

    ~CDocTemplate() override;

    virtual void LoadTemplate();
    virtual BOOL GetDocString(CString& rString, DocStringIndex index) const;
    UINT GetResourceId() const { return m_nIDResource; }

    // Documents of the template.
    virtual void AddDocument(CDocument* pDoc);
    virtual void RemoveDocument(CDocument* pDoc);
    virtual POSITION GetFirstDocPosition() const;
    virtual CDocument* GetNextDoc(POSITION& rPos) const;
    int GetDocumentCount() const { return static_cast<int>(m_docs.size()); }

    virtual CDocument* CreateNewDocument();
    // A frame with its views for pDoc; null when it cannot be made.
    virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
    virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
    // Null path: a new document (OnNewDocument); else the file
    // (OnOpenDocument). Null when it fails (nothing is left behind).
    virtual CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) = 0;
    virtual Confidence MatchDocType(LPCTSTR lpszPathName, CDocument*& rpDocMatch);
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);
    virtual void SetDefaultTitle(CDocument* pDocument);

    CRuntimeClass* m_pDocClass;
    CRuntimeClass* m_pFrameClass;
    CRuntimeClass* m_pViewClass;
    UINT m_nIDResource;
    CString m_strDocStrings;
    BOOL m_bAutoDelete = TRUE;

protected:
    CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass);

    std::vector<CDocument*> m_docs;
};

// Any number of documents, each in MDI child frames that show the
// template's own menu and accelerators.
class CMultiDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CMultiDocTemplate)

public:
    CMultiDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                      CRuntimeClass* pViewClass);
    ~CMultiDocTemplate() override;

    void LoadTemplate() override;
    CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) override;
    void SetDefaultTitle(CDocument* pDocument) override;

    HMENU m_hMenuShared;
    HACCEL m_hAccelTable;
    // Counts the untitled documents for their default titles.
    UINT m_nUntitledCount = 0;
};

// One document at a time, in the main frame.
class CSingleDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CSingleDocTemplate)

public:
    CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                       CRuntimeClass* pViewClass);
    CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) override;
};

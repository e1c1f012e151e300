#include "platform/ui/DocTemplate.h"

#include "platform/core/MessageBox.h"
#include "platform/core/Paths.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"

#include <algorithm>

namespace {

POSITION ToPosition(std::size_t index) { return reinterpret_cast<POSITION>(index + 1); }
std::size_t FromPosition(POSITION pos) { return reinterpret_cast<std::size_t>(pos) - 1; }

}  // namespace

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass), m_nIDResource(nIDResource)
{
}

CDocTemplate::~CDocTemplate()
{
    // Documents still open forget their template.
    for (CDocument* doc : m_docs) doc->m_pDocTemplate = nullptr;
}

void CDocTemplate::LoadTemplate()
{
    if (m_strDocStrings.IsEmpty()) m_strDocStrings.LoadString(m_nIDResource);
}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const
{
    rString.Empty();
    int start = 0;
    for (int i = 0; i < static_cast<int>(index); ++i) {
        const int nl = m_strDocStrings.Find(u'\n', start);
        if (nl < 0) return FALSE;
        start = nl + 1;
    }
    const int end = m_strDocStrings.Find(u'\n', start);
    rString = end < 0 ? m_strDocStrings.Mid(start) : m_strDocStrings.Mid(start, end - start);
    return TRUE;
}

void CDocTemplate::AddDocument(CDocument* pDoc)
{
    if (!pDoc || std::find(m_docs.begin(), m_docs.end(), pDoc) != m_docs.end()) return;
    m_docs.push_back(pDoc);
    pDoc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc)
{
    const auto it = std::find(m_docs.begin(), m_docs.end(), pDoc);
    if (it == m_docs.end()) return;
    m_docs.erase(it);
    pDoc->m_pDocTemplate = nullptr;
}

POSITION CDocTemplate::GetFirstDocPosition() const { return m_docs.empty() ? nullptr : ToPosition(0); }

CDocument* CDocTemplate::GetNextDoc(POSITION& rPos) const
{
    if (!rPos) return nullptr;
    const std::size_t index = FromPosition(rPos);
    if (index >= m_docs.size()) {
        rPos = nullptr;
        return nullptr;
    }
    rPos = index + 1 < m_docs.size() ? ToPosition(index + 1) : nullptr;
    return m_docs[index];
}

CDocument* CDocTemplate::CreateNewDocument()
{
    if (!m_pDocClass) return nullptr;
    CObject* object = m_pDocClass->CreateObject();
    auto* doc = dynamic_cast<CDocument*>(object);
    if (!doc) {
        delete object;
        return nullptr;
    }
    AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther)
{
    if (!m_pFrameClass) return nullptr;
    CCreateContext context;
    context.m_pCurrentFrame = pOther;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    CObject* object = m_pFrameClass->CreateObject();
    auto* frame = dynamic_cast<CFrameWnd*>(object);
    if (!frame) {
        delete object;
        return nullptr;
    }
    // A frame that fails to load deletes itself (its window's end).
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) return nullptr;
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible)
{
    if (pFrame) pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(LPCTSTR lpszPathName, CDocument*& rpDocMatch)
{
    rpDocMatch = nullptr;
    const CString path(lpszPathName ? lpszPathName : u"");
    for (CDocument* doc : m_docs) {
        if (!doc->GetPathName().IsEmpty() && doc->GetPathName() == path) {
            rpDocMatch = doc;
            return yesAlreadyOpen;
        }
    }
    CString ext;
    if (GetDocString(ext, filterExt) && !ext.IsEmpty()) {
        const CString fileExt = platform::ExtensionOf(path);
        const CString want = ext.Left(1) == u"." ? ext : CString(u".") + ext;
        if (fileExt.CompareNoCase(want.GetString()) == 0) return yesAttemptNative;
    }
    return yesAttemptForeign;
}

BOOL CDocTemplate::SaveAllModified()
{
    const std::vector<CDocument*> docs = m_docs;
    for (CDocument* doc : docs) {
        if (!doc->SaveModified()) return FALSE;
    }
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL)
{
    const std::vector<CDocument*> docs = m_docs;
    for (CDocument* doc : docs) {
        if (std::find(m_docs.begin(), m_docs.end(), doc) != m_docs.end()) doc->OnCloseDocument();
    }
}

void CDocTemplate::SetDefaultTitle(CDocument* pDocument)
{
    CString title;
    if (!GetDocString(title, docName) || title.IsEmpty()) {
        if (!title.LoadString(AFX_IDS_UNTITLED) || title.IsEmpty()) title = u"Untitled";
    }
    pDocument->SetTitle(title.GetString());
}

// ---------------------------------------------------------------- multi

CMultiDocTemplate::CMultiDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                     CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass)
{
}

CMultiDocTemplate::~CMultiDocTemplate()
{
    if (m_hMenuShared) ::DestroyMenu(m_hMenuShared);
}

void CMultiDocTemplate::LoadTemplate()
{
    CDocTemplate::LoadTemplate();
    if (!m_hMenuShared) m_hMenuShared = ::LoadMenuW(HMODULE(), MAKEINTRESOURCEW(m_nIDResource));
    if (!m_hAccelTable) m_hAccelTable = ::LoadAcceleratorsW(HMODULE(), MAKEINTRESOURCEW(m_nIDResource));
}

CDocument* CMultiDocTemplate::OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible)
{
    CDocument* doc = CreateNewDocument();
    if (!doc) return nullptr;
    // The document lives through the frame's failures; it is deleted below.
    const BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE;
    CFrameWnd* frame = CreateNewFrame(doc, nullptr);
    doc->m_bAutoDelete = autoDelete;
    if (!frame) {
        delete doc;
        return nullptr;
    }
    const HWND frameHwnd = frame->GetSafeHwnd();
    if (!lpszPathName) {
        SetDefaultTitle(doc);
        if (!doc->OnNewDocument()) {
            // The frame goes, and with its views the document.
            if (::IsWindow(frameHwnd)) frame->DestroyWindow();
            return nullptr;
        }
        ++m_nUntitledCount;
    } else {
        BeginWaitCursor();
        const BOOL opened = doc->OnOpenDocument(lpszPathName);
        EndWaitCursor();
        if (!opened) {
            if (::IsWindow(frameHwnd)) frame->DestroyWindow();
            return nullptr;
        }
        doc->SetPathName(lpszPathName);
    }
    if (!::IsWindow(frameHwnd)) return nullptr;
    InitialUpdateFrame(frame, doc, bMakeVisible);
    return doc;
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* pDocument)
{
    CString name;
    if (!GetDocString(name, docName) || name.IsEmpty()) {
        if (!name.LoadString(AFX_IDS_UNTITLED) || name.IsEmpty()) name = u"Untitled";
    }
    CString title;
    title.Format(u"%s%u", name.GetString(), m_nUntitledCount + 1);
    pDocument->SetTitle(title.GetString());
}

// ---------------------------------------------------------------- single

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                       CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass)
{
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible)
{
    CDocument* doc = m_docs.empty() ? nullptr : m_docs.front();
    CFrameWnd* frame = nullptr;
    bool created = false;
    if (doc) {
        if (!doc->SaveModified()) return nullptr;
        POSITION pos = doc->GetFirstViewPosition();
        if (CView* view = doc->GetNextView(pos)) frame = view->GetParentFrame();
    } else {
        doc = CreateNewDocument();
        if (!doc) return nullptr;
        created = true;
        const BOOL autoDelete = doc->m_bAutoDelete;
        doc->m_bAutoDelete = FALSE;
        frame = CreateNewFrame(doc, nullptr);
        doc->m_bAutoDelete = autoDelete;
        if (!frame) {
            delete doc;
            return nullptr;
        }
    }
    const BOOL ok = lpszPathName ? doc->OnOpenDocument(lpszPathName) : doc->OnNewDocument();
    if (!ok) {
        if (created && frame && ::IsWindow(frame->GetSafeHwnd())) frame->DestroyWindow();
        return nullptr;
    }
    if (lpszPathName) {
        doc->SetPathName(lpszPathName);
    } else {
        SetDefaultTitle(doc);
    }
    if (created) {
        if (CWinApp* app = AfxGetApp(); app && !app->m_pMainWnd) app->m_pMainWnd = frame;
        InitialUpdateFrame(frame, doc, bMakeVisible);
    }
    return doc;
}

#include "platform/ui/Document.h"

#include "platform/core/File.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Paths.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/StandardDialogs.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"

#include <algorithm>
#include <fstream>

#include <unistd.h>

namespace {

CString StringOr(UINT id, const char16_t* fallback)
{
    CString text;
    if (!text.LoadString(id) || text.IsEmpty()) text = fallback;
    return text;
}

POSITION ToPosition(std::size_t index) { return reinterpret_cast<POSITION>(index + 1); }
std::size_t FromPosition(POSITION pos) { return reinterpret_cast<std::size_t>(pos) - 1; }

}  // namespace

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_CLOSE, &CDocument::OnFileClose)
    ON_COMMAND(ID_FILE_SAVE, &CDocument::OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    // Views still attached lose their document.
    for (CView* view : m_views) view->m_pDocument = nullptr;
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCTSTR lpszTitle)
{
    m_strTitle = lpszTitle ? lpszTitle : u"";
    UpdateFrameCounts();
}

void CDocument::SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU)
{
    m_strPathName = lpszPathName ? lpszPathName : u"";
    SetTitle(platform::FileNameOf(m_strPathName).GetString());
    if (bAddToMRU && !m_strPathName.IsEmpty()) {
        if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(m_strPathName.GetString());
    }
}

void CDocument::ClearPathName() { m_strPathName.Empty(); }

void CDocument::AddView(CView* pView)
{
    if (!pView || std::find(m_views.begin(), m_views.end(), pView) != m_views.end()) return;
    m_views.push_back(pView);
    pView->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* pView)
{
    const auto it = std::find(m_views.begin(), m_views.end(), pView);
    if (it == m_views.end()) return;
    m_views.erase(it);
    pView->m_pDocument = nullptr;
    OnChangedViewList();
}

POSITION CDocument::GetFirstViewPosition() const { return m_views.empty() ? nullptr : ToPosition(0); }

CView* CDocument::GetNextView(POSITION& rPosition) const
{
    if (!rPosition) return nullptr;
    const std::size_t index = FromPosition(rPosition);
    if (index >= m_views.size()) {
        rPosition = nullptr;
        return nullptr;
    }
    rPosition = index + 1 < m_views.size() ? ToPosition(index + 1) : nullptr;
    return m_views[index];
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint)
{
    const std::vector<CView*> views = m_views;
    for (CView* view : views) {
        if (view != pSender && std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnUpdate(pSender, lHint, pHint);
    }
}

void CDocument::OnChangedViewList()
{
    // A document without views goes away with its last frame.
    if (m_views.empty() && m_bAutoDelete) {
        OnCloseDocument();
        return;
    }
    UpdateFrameCounts();
}

void CDocument::UpdateFrameCounts()
{
    std::vector<CFrameWnd*> frames;
    for (CView* view : m_views) {
        CFrameWnd* frame = view->GetParentFrame();
        if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end()) frames.push_back(frame);
    }
    for (CFrameWnd* frame : frames) frame->OnUpdateFrameTitle(TRUE);
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCTSTR lpszPathName)
{
    // The file must be there and readable; reading it is the derived
    // document's business.
    std::ifstream in(platform::NativePath(lpszPathName ? lpszPathName : u""), std::ios::binary);
    if (!in) {
        CString text = StringOr(AFX_IDP_FAILED_TO_OPEN_DOC, u"Failed to open document.");
        AfxMessageBox(text.GetString(), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    DeleteContents();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCTSTR)
{
    // Nothing to write: refuse instead of claiming a save.
    return FALSE;
}

void CDocument::OnCloseDocument()
{
    const BOOL autoDelete = m_bAutoDelete;
    // Keep the document while its frames go.
    m_bAutoDelete = FALSE;
    std::vector<CFrameWnd*> frames;
    for (CView* view : m_views) {
        CFrameWnd* frame = view->GetParentFrame();
        if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end()) frames.push_back(frame);
    }
    for (CFrameWnd* frame : frames) {
        PreCloseFrame(frame);
        frame->DestroyWindow();
    }
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

BOOL CDocument::SaveModified()
{
    if (!IsModified()) return TRUE;
    CString name = m_strPathName.IsEmpty() ? m_strTitle : platform::FileNameOf(m_strPathName);
    if (name.IsEmpty()) name = StringOr(AFX_IDS_UNTITLED, u"Untitled");
    CString format = StringOr(AFX_IDP_ASK_TO_SAVE, u"Save changes to %1?");
    CString prompt = format;
    prompt.Replace(u"%1", name.GetString());
    switch (AfxMessageBox(prompt.GetString(), MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL: return FALSE;
    case IDYES: return DoFileSave();
    default: return TRUE;
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrame)
{
    // Another frame of the document keeps it open.
    for (CView* view : m_views) {
        CFrameWnd* frame = view->GetParentFrame();
        if (frame && frame != pFrame) return TRUE;
    }
    return SaveModified();
}

BOOL CDocument::DoFileSave()
{
    const bool writable = !m_strPathName.IsEmpty() && platform::FileExists(m_strPathName.GetString()) &&
                          ::access(platform::NativePath(m_strPathName.GetString()).c_str(), W_OK) == 0;
    return DoSave(writable ? m_strPathName.GetString() : nullptr);
}

BOOL CDocument::DoSave(LPCTSTR lpszPathName, BOOL bReplace)
{
    CString path = lpszPathName ? CString(lpszPathName) : CString();
    if (path.IsEmpty()) {
        platform::FileDialogRequest request;
        if (CWinApp* app = AfxGetApp()) request.owner = app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : HWND();
        request.open = false;
        request.fileName = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
        request.flags = 0x00000002;  // OFN_OVERWRITEPROMPT
        if (m_pDocTemplate) {
            CString filterName;
            CString ext;
            if (m_pDocTemplate->GetDocString(filterName, CDocTemplate::filterName) &&
                m_pDocTemplate->GetDocString(ext, CDocTemplate::filterExt) && !ext.IsEmpty()) {
                request.filters.emplace_back(filterName, CString(u"*") + ext);
                request.defaultExtension = ext.Left(1) == u"." ? ext.Mid(1) : ext;
            }
        }
        request.filters.emplace_back(CString(u"All Files (*.*)"), CString(u"*.*"));
        const platform::FileDialogResult result = platform::ShowFileDialog(request);
        if (!result.ok || result.paths.empty()) return FALSE;
        path = result.paths.front();
    }
    BeginWaitCursor();
    const BOOL saved = OnSaveDocument(path.GetString());
    EndWaitCursor();
    if (!saved) {
        CString text = StringOr(AFX_IDP_FAILED_TO_SAVE_DOC, u"Failed to save document.");
        AfxMessageBox(text.GetString(), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    if (bReplace) SetPathName(path.GetString());
    return TRUE;
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return m_pDocTemplate ? m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

void CDocument::OnFileClose()
{
    if (!SaveModified()) return;
    OnCloseDocument();
}

void CDocument::OnFileSave() { DoFileSave(); }

void CDocument::OnFileSaveAs() { DoSave(nullptr); }

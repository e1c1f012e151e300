#include "manager/ui/QuorvaneDoc.h"

#include "manager/core/SharedText.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/QuorvaneApp.h"
#include "resources/manager/resource_ids.h"

IMPLEMENT_DYNCREATE(CQuorvaneDoc, CDocument)

CQuorvaneDoc::CQuorvaneDoc() = default;

CQuorvaneDoc::~CQuorvaneDoc() = default;

BOOL CQuorvaneDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument()) return FALSE;
    CQuorvaneApp* app = GetQuorvaneApp();
    if (!app) return FALSE;
    const PendingOpenRequest& request = app->Pending();
    const int kind = request.entry.kind;
    if (kind != kOpenWindowOffline) {
        const DWORD value = kind == kOpenWindowSerial ? static_cast<DWORD>(request.entry.comPort) : request.entry.address;
        m_dataManager.SetTcpPortNumber(app->TcpPort());
        CWnd* main = AfxGetMainWnd();
        if (!m_dataManager.OpenPort(kind, value)) return FALSE;
        if (!m_dataManager.ScanNetwork(kind, main ? main->GetSafeHwnd() : HWND())) return FALSE;
        // Any controller that answers will do: the tree starts at the first
        // node present, whatever its number.
        bool any = false;
        for (int node = kFirstNode; node <= kLastNode && !any; ++node) any = m_dataManager.IsNodePresent(node) != FALSE;
        if (!any) {
            ShowMessage(IDS_DM_SCAN_NONE_FOUND, MB_OK | MB_ICONWARNING);
            return FALSE;
        }
    }
    CString title;
    switch (kind) {
    case kOpenWindowSerial: title.Format(LoadFrameText(IDS_TITLE_SERIAL), request.displayName.GetString(), request.entry.comPort); break;
    case kOpenWindowTcp: {
        const DWORD a = request.entry.address;
        CString dotted;
        dotted.Format(u"%d.%d.%d.%d", (a >> 24) & 0xFF, (a >> 16) & 0xFF, (a >> 8) & 0xFF, a & 0xFF);
        title.Format(LoadFrameText(IDS_TITLE_TCP), request.displayName.GetString(), dotted.GetString());
        break;
    }
    default: title = request.displayName; break;
    }
    SetTitle(title.GetString());
    return TRUE;
}

BOOL CQuorvaneDoc::OnOpenDocument(LPCTSTR lpszPathName)
{
    // The tree reads the file when it builds; here the document only takes its path.
    return lpszPathName && *lpszPathName ? TRUE : FALSE;
}

void CQuorvaneDoc::OnCloseDocument()
{
    m_dataManager.CloseWithProgress();
    CDocument::OnCloseDocument();
}

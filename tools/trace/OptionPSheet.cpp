#include "tools/trace/OptionPSheet.h"

#include "tools/trace/KXWatcherDlg.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "platform/ui/Button.h"

#include <algorithm>

// ---------------------------------------------------------------- screen copy

CScreenCopyPPage::CScreenCopyPPage() : CPropertyPage(IDD_OPTION_SCREEN_COPY) {}

void CScreenCopyPPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_OPT_COPY_CLIPBOARD, m_nCopyTo);
    DDX_Radio(pDX, IDC_OPT_AREA_WINDOW, m_nCopyArea);
}

// ---------------------------------------------------------------- window view

CWindowViewPPage::CWindowViewPPage() : CPropertyPage(IDD_OPTION_WINDOW_VIEW) {}

BOOL CWindowViewPPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    for (UINT id : {IDC_OPT_VIEW_SWEEP, IDC_OPT_VIEW_SCROLL}) GetDlgItem(id)->EnableWindow(m_bEnable);
    return TRUE;
}

void CWindowViewPPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_OPT_VIEW_SWEEP, m_nDispMode);
}

// ---------------------------------------------------------------- communication error

BEGIN_MESSAGE_MAP(CCommErrorPPage, CPropertyPage)
    ON_BN_CLICKED(IDC_OPT_ERROR_CHECK, &CCommErrorPPage::OnErrorCheck)
END_MESSAGE_MAP()

CCommErrorPPage::CCommErrorPPage() : CPropertyPage(IDD_OPTION_COMM_ERROR) {}

BOOL CCommErrorPPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    EnableDisplay();
    return TRUE;
}

void CCommErrorPPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_OPT_ERROR_CHECK, m_nErrorCheck);
    DDX_Radio(pDX, IDC_OPT_ERROR_STOP, m_nErrorDisplay);
}

void CCommErrorPPage::EnableDisplay()
{
    const BOOL bCheck = ::IsDlgButtonChecked(GetSafeHwnd(), IDC_OPT_ERROR_CHECK) == BST_CHECKED;
    for (UINT id : {IDC_OPT_ERROR_STOP, IDC_OPT_ERROR_WARN, IDC_OPT_ERROR_GROUP}) GetDlgItem(id)->EnableWindow(bCheck);
}

void CCommErrorPPage::OnErrorCheck() { EnableDisplay(); }

// ---------------------------------------------------------------- sheet

COptionPSheet::COptionPSheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(nIDCaption, pParentWnd, iSelectPage)
{
    AddPage(&m_pageScreenCopy);
    AddPage(&m_pageWindowView);
    AddPage(&m_pageCommError);
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~PSH_HASHELP;
}

void InstallTraceOptionsSheet(std::function<INT_PTR(COptionPSheet&)> runModal)
{
    CKXWatcherDlg::SetTraceOptionsRunner([runModal](CKXWatcherDlg& window, CTraceModel& model) -> INT_PTR {
        TraceOptions& options = model.m_Options;
        // Centred on the trace window, which it blocks while it is open.
        COptionPSheet sheet(IDS_TRACE_OPTIONS_CAPTION, &window, 0);
        // A stored value outside a radio group shows at its nearest button
        // (the trace treats every non-zero value alike).
        sheet.m_pageScreenCopy.m_nCopyTo = std::clamp(options.COPY_TO, 0, 1);
        sheet.m_pageScreenCopy.m_nCopyArea = std::clamp(options.COPY_AREA, 0, 1);
        sheet.m_pageWindowView.m_nDispMode = std::clamp(options.GRAPH_DISP_MODE, 0, 1);
        sheet.m_pageWindowView.m_bEnable = !model.IsFileShown();
        sheet.m_pageCommError.m_nErrorCheck = options.ERROR_CHECK > 0 ? 1 : 0;
        sheet.m_pageCommError.m_nErrorDisplay = options.ERROR_DISPLAY ? 1 : 0;
        sheet.m_nLanguage = window.GetLanguage();
        const INT_PTR result = runModal ? runModal(sheet) : sheet.DoModal();
        if (result != IDOK) return IDCANCEL;
        options.COPY_TO = sheet.m_pageScreenCopy.m_nCopyTo;
        options.COPY_AREA = sheet.m_pageScreenCopy.m_nCopyArea;
        // A shown file's view is fixed; the live setting stays as it was.
        if (sheet.m_pageWindowView.m_bEnable) options.GRAPH_DISP_MODE = sheet.m_pageWindowView.m_nDispMode;
        options.ERROR_CHECK = sheet.m_pageCommError.m_nErrorCheck;
        options.ERROR_DISPLAY = sheet.m_pageCommError.m_nErrorDisplay;
        return IDOK;
    });
}

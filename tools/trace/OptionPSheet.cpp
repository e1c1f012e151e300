#include "tools/trace/OptionPSheet.h"

#include "tools/trace/KXWatcherDlg.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "platform/ui/Button.h"
#include "platform/ui/TabCtrl.h"

#include <algorithm>

namespace {

// The dialog font of the window in the language library's face, at the
// height and in the character set given.
void CreateLanguageFont(CWnd& window, CFont& font, bool japanese, int height)
{
    LOGFONT lf{};
    if (CFont* dialog = window.GetFont()) dialog->GetLogFont(&lf);
    lf.lfCharSet = japanese ? SHIFTJIS_CHARSET : ANSI_CHARSET;
    lf.lfHeight = -height;
    CString face;
    face.LoadString(IDS_TRACE_FONT_FACE);
    const int length = std::min(face.GetLength(), LF_FACESIZE - 1);
    std::copy_n(face.GetString(), length, lf.lfFaceName);
    lf.lfFaceName[length] = 0;
    font.DeleteObject();
    font.CreateFontIndirect(&lf);
}

}  // namespace

// ---------------------------------------------------------------- pages

BOOL COptionPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    // The sheet's language: 0 Japanese at 12, 1 Western at 13, else Western at 12.
    const int language = m_pLanguage ? *m_pLanguage : 1;
    CreateLanguageFont(*this, m_font, language == 0, language == 1 ? 13 : 12);
    for (HWND child = ::GetWindow(GetSafeHwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (CWnd* control = CWnd::FromHandle(child)) control->SetFont(&m_font);
    return TRUE;
}

// ---------------------------------------------------------------- screen copy

CScreenCopyPPage::CScreenCopyPPage() : COptionPage(IDD_OPTION_SCREEN_COPY) {}

void CScreenCopyPPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_OPT_COPY_CLIPBOARD, m_nCopyTo);
    DDX_Radio(pDX, IDC_OPT_AREA_WINDOW, m_nCopyArea);
}

// ---------------------------------------------------------------- window view

CWindowViewPPage::CWindowViewPPage() : COptionPage(IDD_OPTION_WINDOW_VIEW) {}

BOOL CWindowViewPPage::OnInitDialog()
{
    COptionPage::OnInitDialog();
    for (UINT id : {IDC_OPT_VIEW_SWEEP, IDC_OPT_VIEW_SCROLL}) GetDlgItem(id)->EnableWindow(m_bEnable);
    return TRUE;
}

void CWindowViewPPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_OPT_VIEW_SWEEP, m_nDispMode);
}

// ---------------------------------------------------------------- communication error

BEGIN_MESSAGE_MAP(CCommErrorPPage, COptionPage)
    ON_BN_CLICKED(IDC_OPT_ERROR_CHECK, &CCommErrorPPage::OnErrorCheck)
END_MESSAGE_MAP()

CCommErrorPPage::CCommErrorPPage() : COptionPage(IDD_OPTION_COMM_ERROR) {}

BOOL CCommErrorPPage::OnInitDialog()
{
    COptionPage::OnInitDialog();
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

COptionPSheet::COptionPSheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage, BOOL bScreenCopyOnly)
    : CPropertySheet(nIDCaption, pParentWnd, iSelectPage)
{
    for (COptionPage* page : {static_cast<COptionPage*>(&m_pageScreenCopy), static_cast<COptionPage*>(&m_pageWindowView),
                              static_cast<COptionPage*>(&m_pageCommError)}) {
        page->m_pLanguage = &m_nLanguage;
        AddPage(page);
        if (bScreenCopyOnly) break;
    }
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~PSH_HASHELP;
}

BOOL COptionPSheet::OnInitDialog()
{
    const BOOL result = CPropertySheet::OnInitDialog();
    // The sheet's own font follows the language library: Japanese at 12,
    // English at 13, anything else Western at 12.
    CString language;
    language.LoadString(IDS_LANGUAGE);
    CreateLanguageFont(*this, m_font, language == u"JPN", language == u"ENG" ? 13 : 12);
    if (CTabCtrl* tab = GetTabControl()) tab->SetFont(&m_font);
    return result;
}

void InstallTraceOptionsSheet(std::function<INT_PTR(COptionPSheet&)> runModal)
{
    CKXWatcherDlg::SetTraceOptionsRunner([runModal](CKXWatcherDlg& window, CTraceModel& model) -> INT_PTR {
        TraceOptions& options = model.m_Options;
        // A viewer sets its live window's screen copy, and nothing else.
        const BOOL viewer = &model != &window.Model();
        // Centred on the trace window, which it blocks while it is open.
        COptionPSheet sheet(IDS_TRACE_OPTIONS_CAPTION, &window, 0, viewer);
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
        if (viewer) return IDOK;
        // A shown file's view is fixed; the live setting stays as it was.
        if (sheet.m_pageWindowView.m_bEnable) options.GRAPH_DISP_MODE = sheet.m_pageWindowView.m_nDispMode;
        options.ERROR_CHECK = sheet.m_pageCommError.m_nErrorCheck;
        options.ERROR_DISPLAY = sheet.m_pageCommError.m_nErrorDisplay;
        return IDOK;
    });
}

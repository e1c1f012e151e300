#include "tools/CommSetPSheet.h"

#include "tools/ComPortPPage.h"

#include "resources/tools/ZeblLangLib_ids.h"

CCommSetPSheet::CCommSetPSheet(CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(u"CommSet", pParentWnd, iSelectPage)
{
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~PSH_HASHELP;
}

CCommSetPSheet::~CCommSetPSheet()
{
    // The pages go after the sheet's window, and before the language library.
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
    delete m_pPortPage;
    delete m_pAsciiPage;
}

BOOL CCommSetPSheet::Initialize(const CString& strText, commsettag* pCommSet)
{
    if (!m_lang.Load()) return 0;
    if (m_pPortPage) return 1;
    CString caption;
    caption.LoadString(IDS_COMM_SETTINGS_CAPTION);
    SetTitle(caption);
    m_pPortPage = new CComPortPPage;
    m_pAsciiPage = new CAsciiPPage;
    m_pPortPage->SetPortText(strText);
    m_pPortPage->SetCommSet(pCommSet);
    AddPage(m_pPortPage);
    AddPage(m_pAsciiPage);
    return 1;
}

BOOL CCommSetPSheet::OnInitDialog()
{
    const BOOL result = CPropertySheet::OnInitDialog();
    CString caption;
    caption.LoadString(IDS_COMM_SETTINGS_CAPTION);
    SetWindowText(caption);
    return result;
}

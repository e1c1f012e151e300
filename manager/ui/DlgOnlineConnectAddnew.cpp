#include "manager/ui/DlgOnlineConnectAddnew.h"

#include "comm/CommManager.h"
#include "manager/app/AccessLevel.h"
#include "manager/app/FilePathRules.h"
#include "manager/core/SystemHelpers.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/QuorvaneApp.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/Button.h"
#include "resources/manager/resource_ids.h"
#include "tools/CommSetPSheet.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CDlgOnlineConnectAddnew, CDialog)
    ON_BN_CLICKED(IDC_ONLINE_SETTINGS, &CDlgOnlineConnectAddnew::OnSettings)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgOnlineConnectAddnew::CDlgOnlineConnectAddnew(CWnd* pParent) : CDialog(IDD_ONLINE_CONNECT, pParent) {}

CDlgOnlineConnectAddnew::~CDlgOnlineConnectAddnew()
{
    if (m_icon) ::DestroyIcon(m_icon);
}

BOOL CDlgOnlineConnectAddnew::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_icon = HICON(::LoadImageW(HINSTANCE(), MAKEINTRESOURCEW(IDI_TB_NEW_ONLINE), IMAGE_ICON, 16, 16, 0));
    if (m_icon) SendMessage(WM_SETICON, 0, m_icon.ToWParam());
    SetDlgItemText(IDC_ONLINE_NAME, m_name.GetString());
    if (CWnd* hidden = GetDlgItem(IDC_ONLINE_HIDDEN)) hidden->ShowWindow(SW_HIDE);
    CQuorvaneApp* app = GetQuorvaneApp();
    if (!app || !ShowsCommSettingsButton(app->GetAccessLevel())) {
        if (CWnd* settings = GetDlgItem(IDC_ONLINE_SETTINGS)) settings->ShowWindow(SW_HIDE);
    }
    m_ports.SubclassDlgItem(IDC_ONLINE_PORT, this);
    std::vector<int> ports;
    const WORD highest = m_link ? m_link->GetMaxComPort() : 20;
    // Ports that windows of this program hold are not free either.
    std::vector<int> held;
    if (app) app->Registry().GetOpenComPorts(held);
    if (ProbeComPort(highest, ports)) {
        for (int port : ports) {
            if (std::find(held.begin(), held.end(), port) != held.end()) continue;
            CString text;
            text.Format(u"COM%d", port);
            m_ports.AddString(text.GetString());
        }
    }
    if (m_ports.GetCount() > 0) {
        CString preset;
        preset.Format(u"COM%d", m_port);
        const int found = m_ports.FindStringExact(-1, preset.GetString());
        m_ports.SetCurSel(found >= 0 ? found : 0);
    } else if (CWnd* ok = GetDlgItem(IDOK)) {
        ok->EnableWindow(FALSE);
    }
    return TRUE;
}

void CDlgOnlineConnectAddnew::OnSettings()
{
    const int selected = m_ports.GetCurSel();
    if (selected < 0 || !m_link) return;
    CString portName;
    m_ports.GetLBText(selected, portName);
    commsettag settings;
    m_link->GetCommSet(&settings);
    CCommSetPSheet sheet(nullptr, 0);
    if (sheet.Initialize(portName, &settings) && sheet.DoModal() == IDOK) m_link->SetCommSet(&settings);
}

void CDlgOnlineConnectAddnew::OnOK()
{
    const int selected = m_ports.GetCurSel();
    if (selected < 0) return;
    CString text;
    m_ports.GetLBText(selected, text);
    CString name;
    GetDlgItemText(IDC_ONLINE_NAME, name);
    if (!IsAcceptedWindowName(name)) {
        ShowMessage(IDS_BAD_WINDOW_NAME, MB_OK | MB_ICONWARNING);
        return;
    }
    const CQuorvaneApp* app = GetQuorvaneApp();
    if (app && app->IsControllerNameOpen(name)) {
        ShowMessage(IDS_WINDOW_NAME_TAKEN, MB_OK | MB_ICONWARNING);
        return;
    }
    int port = 0;
    for (int i = 3; i < text.GetLength() && text[i] >= u'0' && text[i] <= u'9' && port < 100000; ++i) port = port * 10 + (text[i] - u'0');
    m_port = static_cast<WORD>(port);
    m_name = name;
    CDialog::OnOK();
}

void CDlgOnlineConnectAddnew::OnDestroy()
{
    if (m_icon) {
        ::DestroyIcon(m_icon);
        m_icon = nullptr;
    }
    CDialog::OnDestroy();
}

#include "simulator/ui/SimulatorApp.h"

#include "manager/core/NumberText.h"
#include "manager/core/SharedMemoryLink.h"
#include "manager/widgets/ProgressWaitWnd.h"
#include "platform/core/LastError.h"
#include "platform/core/MessageBox.h"
#include "platform/core/ResourceModule.h"
#include "platform/core/Paths.h"
#include "platform/core/Registry.h"
#include "platform/core/Synchronization.h"
#include "platform/core/VersionInfo.h"
#include "platform/core/WinError.h"
#include "platform/ui/Button.h"
#include "platform/ui/Static.h"
#include "resources/simulator/pellarun_ids.h"
#include "simulator/ui/SimulatorDlg.h"

#include <fstream>
#include <iterator>

namespace {

constexpr REGSAM kCautionKeyAccess = 0x2001F;

// The arguments of the process after its name.
std::vector<CString> ProcessArguments()
{
    std::vector<CString> out;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t pos = 0;
    while (pos < all.size()) {
        const std::size_t end = all.find('\0', pos);
        const std::size_t stop = end == std::string::npos ? all.size() : end;
        out.push_back(CString::FromUtf8(all.substr(pos, stop - pos)));
        pos = stop + 1;
    }
    return out;
}

CString ProgramCompanyName()
{
    platform::VersionRecord record;
    if (!platform::ReadVersionRecord(platform::GetProgramPath(), record)) return CString();
    return record.Text(u"CompanyName");
}

// "/ES" is the manager's: it writes the controller's data into the shared
// block before it starts the simulator. Without a manager the block is empty,
// no controller named in it, and there is nothing to work on. A block that
// cannot be reached at all is the main dialog's to report.
bool ExchangeDataHandedOver()
{
    CSharedMemoryLink link;
    if (!link.Load()) return true;
    ControllerData data;
    data.paramSets.resize(1);
    return !link.ReadController(data) || !data.controller.IsEmpty();
}

}  // namespace

CSimulatorApp::CSimulatorApp() : CWinApp(u"Pellarun") {}

CSimulatorApp* SimulatorApp() { return dynamic_cast<CSimulatorApp*>(AfxGetApp()); }

UINT CSimulatorApp::AppIconId() const { return m_bOldSystem ? IDI_APP_OLD : IDI_APP; }

void CSimulatorApp::ReadCommandLine(const std::vector<CString>& arguments)
{
    const SimulatorCommandLine line = ParseSimulatorArguments(arguments);
    m_bExchange = line.exchange ? 1 : 0;
    m_strTitle = line.title;
    m_nCurrentFeature = 0;
    m_nCurrentLibrary = 0;
}

BOOL CSimulatorApp::InitInstance()
{
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
    if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowMessageById(IDS_ALREADY_RUNNING, MB_ICONERROR);
        if (mutex) ::CloseHandle(mutex);
        return FALSE;
    }
    const BOOL result = Start(ProcessArguments());
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
    return result;
}

BOOL CSimulatorApp::Start(const std::vector<CString>& arguments)
{
    ReadCommandLine(arguments);
    if (m_bExchange && !ExchangeDataHandedOver()) {
        ShowMessageById(IDS_NO_EXCHANGE_DATA, MB_ICONERROR);
        m_nMainResult = kExitNoExchangeLibrary;
        return FALSE;
    }
    m_bOldSystem = 0;
    InitNumberLocale();
    m_chDecimalSeparator = GetNumberLocale().decimalSeparator;

    CParentDlg parent;
    m_pMainWnd = &parent;
    m_nMainResult = static_cast<int>(parent.DoModal());
    m_pMainWnd = nullptr;
    return FALSE;
}

int CSimulatorApp::ExitInstance()
{
    const int frameworkResult = CWinApp::ExitInstance();
    SimulatorCommandLine line;
    line.exchange = m_bExchange != 0;
    return SimulatorExitCode(line, m_nMainResult, frameworkResult);
}

BOOL CSimulatorApp::PreTranslateMessage(MSG* pMsg)
{
    // The keypad's decimal key types the user's separator; the main
    // keyboard's full stop stays a full stop.
    if (pMsg->message == WM_KEYDOWN) {
        m_keys.OnKeyDown(static_cast<UINT>(pMsg->wParam));
    } else if (pMsg->message == WM_CHAR) {
        pMsg->wParam = m_keys.TranslateChar(static_cast<char16_t>(pMsg->wParam), m_chDecimalSeparator);
    }
    return CWinApp::PreTranslateMessage(pMsg);
}

int ShowMessageText(const CString& text, UINT type)
{
    // A wait window must not stand over the box.
    CloseActiveProgressWaitWnd();
    CString caption;
    caption.LoadString(IDS_APP_CAPTION);
    HWND owner{};
    if (CSimulatorApp* app = SimulatorApp(); app && app->m_pRunningDialog) owner = app->m_pRunningDialog->GetSafeHwnd();
    return ::MessageBoxW(owner, text, caption, type);
}

int ShowMessageById(UINT stringId, UINT type)
{
    CString text;
    text.LoadString(stringId);
    return ShowMessageText(text, type);
}

// ---------------------------------------------------------------- CParentDlg

CParentDlg::CParentDlg() : CDialog(IDD_PARENT) {}

BOOL CParentDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CSimulatorApp* app = SimulatorApp();
    m_hIcon = AfxGetApp()->LoadIcon(app ? app->AppIconId() : IDI_APP);
    SendMessage(WM_SETICON, 1, m_hIcon.ToLParam());

    CCautionDlg caution(0);
    caution.DoModal();

    CSimulatorDlg dlg(this);
    if (app) app->m_pRunningDialog = &dlg;
    const INT_PTR result = dlg.DoModal();
    if (app) app->m_pRunningDialog = nullptr;
    EndDialog(static_cast<int>(result));
    return TRUE;
}

// ---------------------------------------------------------------- CCautionDlg

CCautionDlg::CCautionDlg(int shownOnRequest, CWnd* pParent)
    : CDialog(IDD_CAUTION, pParent),
      m_bShownOnRequest(shownOnRequest),
      m_strKeyPath(CautionNoticeKeyPath(ProgramCompanyName())),
      m_strValueName(kCautionValueName)
{
}

bool CCautionDlg::IsSwitchedOff() const
{
    HKEY key{};
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, m_strKeyPath, 0, kCautionKeyAccess, &key) != ERROR_SUCCESS) return false;
    char16_t buffer[128] = {};
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    const LSTATUS status =
        ::RegQueryValueExW(key, m_strValueName, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
    ::RegCloseKey(key);
    buffer[127] = 0;
    return status == ERROR_SUCCESS && CString(buffer) == CString(kCautionSwitchedOff);
}

BOOL CCautionDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (auto* icon = static_cast<CStatic*>(GetDlgItem(IDC_CAUTION_ICON)))
        icon->SetIcon(::LoadIconW(HINSTANCE(), IDI_WARNING));
    const bool off = IsSwitchedOff();
    CheckDlgButton(IDC_CAUTION_DONT_SHOW, off ? BST_CHECKED : BST_UNCHECKED);
    if (!m_bShownOnRequest && off) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    CenterWindow();
    return TRUE;
}

void CCautionDlg::OnOK()
{
    HKEY key{};
    if (IsDlgButtonChecked(IDC_CAUTION_DONT_SHOW) == BST_CHECKED) {
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, m_strKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, kCautionKeyAccess,
                              nullptr, &key, nullptr) == ERROR_SUCCESS) {
            const CString value(kCautionSwitchedOff);
            ::RegSetValueExW(key, m_strValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.GetString()),
                             static_cast<DWORD>((value.GetLength() + 1) * sizeof(char16_t)));
            ::RegCloseKey(key);
        }
    } else if (::RegOpenKeyExW(HKEY_CURRENT_USER, m_strKeyPath, 0, kCautionKeyAccess, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueW(key, m_strValueName);
        ::RegCloseKey(key);
    }
    EndDialog(IDOK);
}

#include "manager/ui/QuorvaneApp.h"

#include "manager/app/ManagerStartup.h"
#include "manager/app/RequiredFiles.h"
#include "manager/app/StartupOptions.h"
#include "manager/core/LibraryBindings.h"
#include "manager/core/NumberText.h"
#include "manager/core/SharedText.h"
#include "manager/core/SystemHelpers.h"
#include "manager/ui/ChildFrm.h"
#include "manager/ui/LeftpaneTreeView.h"
#include "manager/ui/MainFrm.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/QuorvaneDoc.h"
#include "manager/widgets/NumberEdit.h"
#include "manager/widgets/ProgressWaitWnd.h"
#include "platform/core/MessageBox.h"
#include "platform/core/CodePage.h"
#include "platform/core/File.h"
#include "platform/core/Module.h"
#include "platform/core/Paths.h"
#include "platform/ui/MDIChildWnd.h"
#include "resources/manager/resource_ids.h"
#include "tools/FileVersionReader.h"

#include <filesystem>
#include <thread>

namespace {

CQuorvaneApp* g_app = nullptr;

constexpr int kSplashPoints = 12;
constexpr int kAppFontTenths = 90;
constexpr COLORREF kSplashTextColour = RGB(0x55, 0x55, 0x69);

}  // namespace

CQuorvaneApp* GetQuorvaneApp() { return g_app; }

BEGIN_MESSAGE_MAP(CQuorvaneApp, CWinApp)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE1 + 15, &CQuorvaneApp::OnOpenRecentFile)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, &CWinApp::OnUpdateRecentFileMenu)
    ON_COMMAND(ID_APP_EXIT, &CWinApp::OnAppExit)
END_MESSAGE_MAP()

CQuorvaneApp::CQuorvaneApp() : CWinApp(u"Quorvane")
{
    g_app = this;
    InitNumberLocale();
    m_pending.Reset();
}

CQuorvaneApp::~CQuorvaneApp()
{
    if (m_splash) m_splash->Close();
    m_installedTransportHost.reset();
    m_installedWindows.reset();
    if (g_app == this) g_app = nullptr;
}

CMainFrame* CQuorvaneApp::MainFrame() const { return dynamic_cast<CMainFrame*>(m_pMainWnd); }

BOOL CQuorvaneApp::InitInstance()
{
    // 1, 2: the resource module and its language.
    if (!m_resources.LoadModule(m_resourceModule.IsEmpty() ? kManagerResourceModule : m_resourceModule.GetString()))
        return FALSE;
    m_language = LoadManagerLanguage();
    // The 8-bit texts of the module (parameter tables) and the files written
    // are in the code page of the interface language.
    platform::SetAnsiCodePage(m_language == kLanguageJapanese ? CP_SHIFT_JIS : CP_WESTERN);
    m_helpFile = platform::JoinPath(platform::GetProgramFolder(),
                                    m_language == kLanguageJapanese ? u"Quorvane.ja.html" : u"Quorvane.en.html");
    m_pszHelpFilePath = m_helpFile.GetString();
    m_installedWindows.emplace(&m_windows);
    CMainFrameWindows::InstallLocators();
    // The transport dialogs see the open windows and the access level.
    m_installedTransportHost.emplace(&m_transportHost);

    // 5 (before 3 and 4, the toolkit's own start): one manager per user. A
    // second start hands its data file to the running one.
    CString appName;
    appName.LoadString(IDS_APP_NAME);
    if (appName.IsEmpty()) appName = m_pszAppName;
    if (m_guard.Acquire(appName) == CSingleInstanceGuard::Result::AlreadyRunning) {
        if (HandToRunningInstance()) return FALSE;
        ::ShowMessage(IDS_ALREADY_RUNNING, MB_OK | MB_ICONERROR);
        return FALSE;
    }

    // 3: what must lie beside the program. A second start has handed its file
    // over before this, without the first one's warnings again.
    if (m_checkRequiredFiles &&
        !CheckRequiredFiles(ManagerRequiredFiles(m_pszHelpFilePath ? m_pszHelpFilePath : u""),
                            m_locateRequiredFile ? m_locateRequiredFile : RequiredFileLocator(LocateRequiredFile)))
        return FALSE;

    // 6, 7: the application font and the splash.
    m_appFont.CreatePointFont(kAppFontTenths, LoadFrameText(IDS_APP_FONT_FACE).GetString());
    ShowSplash(true);

    // 8: switches.
    const StartupOptions options = ParseStartupOptions(m_arguments);
    if (options.accessLevel) m_access.ApplyStartupLevel(*options.accessLevel);

    // 9: the profile and the recent files.
    if (options.iniProfile) {
        CString ini = platform::GetProgramPath();
        const int dot = ini.ReverseFind(u'.');
        if (dot > ini.ReverseFind(u'/')) ini = ini.Left(dot);
        SetProfileFile((ini + u".ini").GetString());
    } else {
        SetRegistryKey(IDS_REGISTRY_KEY);
    }
    m_settings = std::make_unique<CManagerSettings>(ProfileStore());
    LoadStdProfileSettings(4);

    // 10: the template of the controller windows.
    m_template = new CMultiDocTemplate(IDR_CONTROLLER, RUNTIME_CLASS(CQuorvaneDoc), RUNTIME_CLASS(CChildFrame),
                                       RUNTIME_CLASS(CLeftpaneTreeView));
    AddDocTemplate(m_template);

    // 11: the main frame.
    auto* frame = new CMainFrame;
    // A frame that fails to be made deletes itself with its window.
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) return FALSE;
    m_pMainWnd = frame;

    // 12: nothing is opened at start, whatever the command line names.
    m_channel = std::make_unique<CInstanceChannel>();
    m_channel->Listen(frame->GetSafeHwnd(), UM_OPENHANDEDFILE);

    // 13, 14: the definition tables and the icons.
    m_resources.LoadParamDefTables();
    m_icons[0] = LoadIcon(IDI_TRANSFER_DATA);
    m_icons[1] = LoadIcon(IDI_TRANSFER_CONTROLLER);

    // 15, 16: the main window once the splash has gone.
    while (IsSplashRunning()) {
        PumpMessages(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    frame->ShowWindow(m_nCmdShow);
    frame->UpdateWindow();
    // The launcher comes up from the message loop, over the shown main window.
    if (m_launcherAtStart && m_settings && !m_settings->LauncherDoNotShowAgain())
        frame->PostMessage(UM_SHOWLAUNCHER, CMainFrame::kLauncherAtStart);
    return TRUE;
}

bool CQuorvaneApp::HandToRunningInstance()
{
    for (size_t i = 1; i < m_arguments.size(); ++i) {
        const CString& argument = m_arguments[i];
        if (argument.IsEmpty() || argument[0] == u'/' && argument.Find(u'/', 1) < 0) continue;
        const CString path = platform::NormalizePath(argument);
        if (platform::FileExists(path.GetString())) return CInstanceChannel::HandOver(path);
    }
    return false;
}

int CQuorvaneApp::ExitInstance()
{
    if (m_channel) m_channel->Stop();
    m_channel.reset();
    for (HICON& icon : m_icons) {
        if (icon) ::DestroyIcon(icon);
        icon = HICON();
    }
    m_simulator.reset();
    m_installedTransportHost.reset();
    m_resources.Release();
    return CWinApp::ExitInstance();
}

int CQuorvaneApp::DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT nIDPrompt)
{
    // A box is never hidden behind the wait window.
    CloseActiveProgressWaitWnd();
    return CWinApp::DoMessageBox(lpszPrompt, nType, nIDPrompt);
}

BOOL CQuorvaneApp::PreTranslateMessage(MSG* pMsg)
{
    // The keypad's decimal key types the locale's separator, in number
    // fields only: an address or a file name keeps its full stop.
    if (pMsg->message == WM_KEYDOWN) {
        m_decimalKeys.OnKeyDown(static_cast<UINT>(pMsg->wParam));
    } else if (pMsg->message == WM_CHAR && pMsg->wParam == u'.') {
        if (dynamic_cast<CNumberEdit*>(CWnd::FromHandlePermanent(pMsg->hwnd)))
            pMsg->wParam = m_decimalKeys.TranslateChar(u'.');
    }
    return CWinApp::PreTranslateMessage(pMsg);
}

void CQuorvaneApp::ShowSplash(bool atStart)
{
    if (m_splash) m_splash->Close();
    m_splashTexts.clear();
    m_splashFont.DeleteObject();
    LOGFONT face{};
    if (m_appFont.GetSafeHandle()) m_appFont.GetLogFont(&face);
    m_splashFont.CreatePointFont(kSplashPoints * 10, face.lfFaceName[0] ? face.lfFaceName : u"MS Shell Dlg");
    m_mainFrameReady = 0;

    CFileVersionReader version;
    CString copyright;
    CString productVersion;
    if (version.Read(platform::GetProgramPath())) {
        copyright = version.GetLegalCopyright();
        productVersion = version.GetProductVersion();
    }
    CString databaseVersion;
    const bool haveDatabase = LoadDatabaseVersion(databaseVersion);
    auto line = [&](const CString& text, RECT rect, int id, int alignment) {
        SplashText t;
        t.text = text;
        t.colour = kSplashTextColour;
        t.rect = rect;
        t.font = &m_splashFont;
        t.id = id;
        t.alignment = alignment;
        m_splashTexts.push_back(t);
    };
    CString appVersion;
    if (!productVersion.IsEmpty()) appVersion.Format(u"Application Version  Ver %s", productVersion.GetString());
    CString dbText;
    dbText.Format(u"Database Version  Ver %s", haveDatabase ? databaseVersion.GetString() : u"-");
    line(copyright, RECT{150, 330, 310, 350}, 1, 2);
    line(appVersion, RECT{80, 240, 460, 260}, 2, 0);
    line(dbText, RECT{80, 260, 440, 280}, 3, 0);
    if (atStart)
        new CSplash(IDB_SPLASH, m_splashMs, &m_splashTexts, CSplashWnd::kCloseOnInput | CSplashWnd::kWaitForReady,
                    &m_splash, &m_mainFrameReady);
    else
        new CSplash(IDB_SPLASH, CSplashWnd::kNoTimer, &m_splashTexts, CSplashWnd::kCloseOnInput, &m_splash, nullptr);
}

// ------------------------------------------------------------------ opening

bool CQuorvaneApp::CanOpenAnotherWindow()
{
    return ::CanOpenAnotherWindow(m_registry.Count(), m_maxCount, 0);
}

void CQuorvaneApp::ShowMessage(UINT stringId) { ::ShowMessage(stringId, MB_OK | MB_ICONWARNING); }

void CQuorvaneApp::Activate(CWnd* frame)
{
    if (auto* child = dynamic_cast<CMDIChildWnd*>(frame)) {
        if (child->IsIconic()) child->MDIRestore();
        child->MDIActivate();
    }
}

void CQuorvaneApp::CreateWindow(PendingOpenRequest& request, bool fromFile)
{
    if (fromFile)
        m_template->OpenDocumentFile(request.entry.name.GetString());
    else
        m_template->OpenDocumentFile(nullptr);
}

void CQuorvaneApp::CloseFrame(CWnd* frame)
{
    if (frame && ::IsWindow(frame->GetSafeHwnd())) frame->SendMessage(UM_CLOSEFRAME);
}

OpenOutcome CQuorvaneApp::OpenPendingConnection() { return OpenPendingWindow(m_registry, m_pending, false, *this); }

OpenOutcome CQuorvaneApp::OpenPendingFile() { return OpenPendingWindow(m_registry, m_pending, true, *this); }

CString CanonicalDataPath(const CString& path)
{
    if (path.IsEmpty()) return path;
    const CString normal = platform::NormalizePath(path);
    const std::string bytes =
        platform::FromWide(std::u16string_view(normal.GetString(), static_cast<size_t>(normal.GetLength())), CP_UTF8);
    std::error_code ec;
    std::filesystem::path full = std::filesystem::weakly_canonical(std::filesystem::absolute(bytes, ec), ec);
    if (ec || full.empty()) return normal;
    return CString(platform::ToWide(full.string(), CP_UTF8).c_str());
}

OpenOutcome CQuorvaneApp::OpenDataFile(const CString& path)
{
    // One spelling per file, so another path to an open file finds its window.
    m_pending = MakeDataFileRequest(CanonicalDataPath(path));
    return OpenPendingFile();
}

bool CQuorvaneApp::IsControllerNameOpen(const CString& name) const
{
    return m_registry.IsControllerNameOpen(name, [](CWnd* frame) {
        auto* child = dynamic_cast<CChildFrame*>(frame);
        return child ? child->DisplayName() : CString();
    });
}

CString CQuorvaneApp::MakeNewWindowName(int kind) const
{
    // Past every name an open window shows, so no two windows share one.
    return m_registry.MakeNewWindowName(kind, [](CWnd* frame) {
        auto* child = dynamic_cast<CChildFrame*>(frame);
        return child ? child->DisplayName() : CString();
    });
}

BOOL CQuorvaneApp::OnOpenRecentFile(UINT nID)
{
    if (!m_pRecentFileList) return FALSE;
    const CString path = (*m_pRecentFileList)[static_cast<int>(nID - ID_FILE_MRU_FILE1)];
    if (path.IsEmpty()) return TRUE;
    OpenDataFile(path);
    return TRUE;
}

// ------------------------------------------------------------------ settings

void CQuorvaneApp::LoadSettings()
{
    if (!m_settings) return;
    m_options = AppOptions();
    m_childPlacement = m_settings->LoadChildWindowPlacement();
    m_maxCount = m_settings->LoadChildWindowMaxCount();
    m_settings->LoadOptions(m_options);
}

void CQuorvaneApp::SaveSettings()
{
    if (!m_settings) return;
    m_settings->SaveOptions(m_options);
    m_settings->SaveChildWindowPlacement(m_childPlacement);
    m_settings->SaveChildWindowMaxCount(m_maxCount);
}

void CQuorvaneApp::SaveChildWindowPlacement()
{
    if (m_settings) m_settings->SaveChildWindowPlacement(m_childPlacement);
}

CSimulatorHandover& CQuorvaneApp::Simulator()
{
    if (!m_simulator)
        m_simulator = std::make_unique<CSimulatorHandover>(MakeSimulatorExchange(), MakeSimulatorProcess, m_simulatorProgram);
    return *m_simulator;
}

// The manager program's application object: start-up in its fixed order,
// the state the windows share (open-window registry, access level, options,
// child-window placement, pending open request, simulator hand-over) and the
// orderly end.
#pragma once

#include "manager/app/AccessLevel.h"
#include "manager/app/AppOptions.h"
#include "manager/app/Language.h"
#include "manager/app/ManagerResources.h"
#include "manager/app/ManagerSettings.h"
#include "manager/app/OpenWindowRegistry.h"
#include "manager/app/PendingOpen.h"
#include "manager/app/RequiredFiles.h"
#include "manager/app/SimulatorHandover.h"
#include "manager/app/SingleInstanceGuard.h"
#include "manager/core/DataManager.h"
#include "manager/core/DecimalKeyTranslator.h"
#include "manager/ui/InstanceChannel.h"
#include "manager/ui/ManagerWindowsImpl.h"
#include "manager/ui/TransportHostImpl.h"
#include "manager/widgets/Splash.h"
#include "manager/widgets/SplashWnd.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/WinApp.h"

#include <memory>
#include <optional>
#include <vector>

class CChildFrame;
class CMainFrame;

class CQuorvaneApp : public CWinApp, private IWindowOpener {
public:
    CQuorvaneApp();
    ~CQuorvaneApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    int DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT nIDPrompt) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The command line the program was started with (argument 0 the program).
    void SetArguments(std::vector<CString> arguments) { m_arguments = std::move(arguments); }
    // Where the resource module is looked for (tests use the build's own).
    void SetResourceModuleName(const CString& name) { m_resourceModule = name; }
    // The required-file check can be left out where the files are not the program's.
    void SetCheckRequiredFiles(bool check) { m_checkRequiredFiles = check; }
    // Where the check looks for a file (the program folder unless given).
    void SetRequiredFileLocator(RequiredFileLocator locate) { m_locateRequiredFile = std::move(locate); }
    // The splash's display time at start (tests shorten it).
    void SetSplashMs(int ms) { m_splashMs = ms; }
    // The TCP port the data managers connect to (the controller's own by default).
    void SetTcpPort(WORD port) { m_tcpPort = port; }
    // The simulator program beside the manager (tests use a stand-in).
    void SetSimulatorProgram(const CString& program) { m_simulatorProgram = program; }
    // The help page in the interface language, beside the program.
    const CString& HelpFile() const { return m_helpFile; }
    WORD TcpPort() const { return m_tcpPort; }
    // Whether the launcher may come up at start (the user's "do not show
    // again" still decides); tests that do not work it leave it out.
    void SetLauncherAtStart(bool allowed) { m_launcherAtStart = allowed; }

    void ShowSplash(bool atStart);
    bool IsSplashUp() const { return m_splash != nullptr; }

    // Registry and opening.
    COpenWindowRegistry& Registry() { return m_registry; }
    PendingOpenRequest& Pending() { return m_pending; }
    bool CanOpenAnotherWindow() override;
    OpenOutcome OpenPendingConnection();
    OpenOutcome OpenPendingFile();
    // A data file by path: open it, or activate the window that shows it.
    OpenOutcome OpenDataFile(const CString& path);
    bool IsControllerNameOpen(const CString& name) const;
    CString MakeNewWindowName(int kind) const;

    CAccessLevel& Access() { return m_access; }
    int GetAccessLevel() const { return m_access.Get(); }
    ManagerLanguage Language() const { return m_language; }
    AppOptions& Options() { return m_options; }
    CManagerSettings* Settings() { return m_settings.get(); }
    ChildWindowPlacement& ChildPlacement() { return m_childPlacement; }
    int ChildWindowMaxCount() const { return m_maxCount; }
    void LoadSettings();
    void SaveSettings();
    void SaveChildWindowPlacement();

    CSimulatorHandover& Simulator();
    bool HasSimulatorHandover() const { return m_simulator != nullptr; }
    const ParamDefTable* ParamTable(int number) const { return m_resources.Table(number); }
    CMainFrameWindows& Windows() { return m_windows; }
    int* ReadyFlag() { return &m_mainFrameReady; }

    // The main frame, when made.
    CMainFrame* MainFrame() const;
    CMultiDocTemplate* Template() const { return m_template; }

    afx_msg BOOL OnOpenRecentFile(UINT nID);

    DECLARE_MESSAGE_MAP()

private:
    void ShowMessage(UINT stringId) override;
    void Activate(CWnd* frame) override;
    void CreateWindow(PendingOpenRequest& request, bool fromFile) override;
    void CloseFrame(CWnd* frame) override;
    bool HandToRunningInstance();

    std::vector<CString> m_arguments;
    CString m_resourceModule;
    bool m_checkRequiredFiles = true;
    RequiredFileLocator m_locateRequiredFile;
    int m_splashMs = 3000;
    WORD m_tcpPort = CDataManager::kDataManagerTcpPort;
    CString m_simulatorProgram{kSimulatorProgram};
    CString m_helpFile;
    bool m_launcherAtStart = true;

    COpenWindowRegistry m_registry;
    ManagerLanguage m_language = kLanguageOther;
    CSplash* m_splash = nullptr;
    int m_mainFrameReady = 0;
    std::vector<SplashText> m_splashTexts;
    CFont m_splashFont;
    CAccessLevel m_access;
    AppOptions m_options;
    ChildWindowPlacement m_childPlacement;
    int m_maxCount = kDefaultChildWindowMaxCount;
    CFont m_appFont;
    PendingOpenRequest m_pending;
    CManagerResources m_resources;
    HICON m_icons[2] = {};
    std::unique_ptr<CManagerSettings> m_settings;
    CSingleInstanceGuard m_guard;
    std::unique_ptr<CInstanceChannel> m_channel;
    std::unique_ptr<CSimulatorHandover> m_simulator;
    CMultiDocTemplate* m_template = nullptr;
    CMainFrameWindows m_windows;
    std::optional<ScopedManagerWindows> m_installedWindows;
    CAppTransportHost m_transportHost{*this};
    std::optional<ScopedTransportHost> m_installedTransportHost;
    CDecimalKeyTranslator m_decimalKeys;
};

CQuorvaneApp* GetQuorvaneApp();

// The one spelling of a data file's path: full, without "." and ".." steps,
// symbolic links followed as far as the path exists; letter case kept.
CString CanonicalDataPath(const CString& path);

// The simulator's application object: the single-instance guard, the command
// line, the hidden owner dialog that runs the caution notice and then the
// main dialog, the exit code the manager reads, the keypad's decimal key,
// and the message boxes every simulator window shows.
#pragma once

#include "manager/core/DecimalKeyTranslator.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WinApp.h"
#include "simulator/core/MotionLibrary.h"
#include "simulator/core/SimulatorCommandLine.h"

class CSimulatorDlg;

class CSimulatorApp : public CWinApp {
public:
    CSimulatorApp();

    BOOL InitInstance() override;
    // InitInstance with the command line given (the program first).
    BOOL Start(const std::vector<CString>& arguments);
    int ExitInstance() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Takes the command line (the program first); used by InitInstance and
    // by tests that start the main dialog themselves.
    void ReadCommandLine(const std::vector<CString>& arguments);

    int m_nMainResult = 0;
    // "/ES": the data come from the manager's shared block and go back to it.
    int m_bExchange = 0;
    CString m_strTitle;
    HWND m_hMainDialog{};
    // Chooses the plain icons of older desktops; never set on this platform.
    int m_bOldSystem = 0;
    // The main dialog while it runs modally: the owner of every message box.
    CSimulatorDlg* m_pRunningDialog = nullptr;
    // The current calculation is not part of this program: both stay 0.
    int m_nCurrentFeature = 0;
    int m_nCurrentLibrary = 0;
    char16_t m_chDecimalSeparator = 0;
    // PellarunLib, bound by the main dialog for its life.
    MotionLibrary m_motionLibrary;
    // The file the main dialog binds it from (beside the program).
    CString m_strMotionLibraryFile = kMotionLibraryFileName;

    // The icon of the program's windows (132 on older desktops, else 133).
    UINT AppIconId() const;

private:
    CDecimalKeyTranslator m_keys;
};

// The application object of the running program (null when there is none).
CSimulatorApp* SimulatorApp();

// The message boxes of the simulator: the text of a string (or a text), the
// caption string 500, owned by the running main dialog when one runs.
int ShowMessageById(UINT stringId, UINT type);
int ShowMessageText(const CString& text, UINT type);

// Never visible: it runs the caution notice and then the main dialog, and
// ends with the main dialog's result.
class CParentDlg : public CDialog {
public:
    CParentDlg();
    BOOL OnInitDialog() override;

private:
    HICON m_hIcon{};
};

// The caution notice at start (unless switched off) and from Help > Caution.
class CCautionDlg : public CDialog {
public:
    // shownOnRequest: 1 from the menu (shown even when switched off).
    explicit CCautionDlg(int shownOnRequest, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Whether the notice is switched off ("Caution Dialog" = "no" under the key).
    bool IsSwitchedOff() const;
    const CString& KeyPath() const { return m_strKeyPath; }

private:
    int m_bShownOnRequest;
    CString m_strKeyPath;
    CString m_strValueName;
};

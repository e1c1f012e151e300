// The launcher: four large buttons that open the transport dialogs (read a
// controller into a file, write a file into a controller, read the alarm
// history, make new data for a connected controller) and, in the start-up
// layout, a box that stops it from being shown at start.
//
//   CDlgLauncher launcher(CDlgLauncher::kStartupLayout, settings, mainFrame);
//   launcher.DoModal();
#pragma once

#include "manager/app/ManagerSettings.h"

#include "htmltip/HtmlToolTip.h"
#include "htmltip/IconButton.h"
#include "platform/ui/Dialog.h"

#include <array>

class CDlgLauncher : public CDialog {
public:
    static constexpr BYTE kShortLayout = 0;
    static constexpr BYTE kStartupLayout = 1;

    CDlgLauncher(BYTE mode, const CManagerSettings& settings, CWnd* pParent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnOK() override;
    afx_msg void OnRead();
    afx_msg void OnWrite();
    afx_msg void OnAlarm();
    afx_msg void OnGeneration();
    afx_msg void OnLauncherOk();
    afx_msg void OnLauncherClose();
    DECLARE_MESSAGE_MAP()

private:
    // Runs a transport dialog with the current window's polling paused.
    template <class Run>
    void RunTransport(Run run);
    void Layout();

    BYTE m_mode;
    const CManagerSettings& m_settings;
    std::array<CIconButton, 4> m_buttons;
    CHtmlToolTip m_tip;
    HICON m_icon{};
};

// The option sheet: the confirmations the user may switch off (trace start,
// origin return) and whether the launcher is shown at start, so that the
// launcher's "do not show again" can be undone.
//
//   CPropertySheetOption sheet(IDS_OPTIONS_CAPTION, settings, mainFrame);
//   sheet.DoModal();
#pragma once

#include "manager/app/ManagerSettings.h"

#include "platform/ui/PropertySheet.h"

class CPropertyMessage : public CPropertyPage {
public:
    CPropertyMessage();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};

class CPropertyLauncher : public CPropertyPage {
public:
    explicit CPropertyLauncher(const CManagerSettings& settings);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnOpenLauncher();
    DECLARE_MESSAGE_MAP()

private:
    const CManagerSettings& m_settings;
};

class CPropertySheetOption : public CPropertySheet {
public:
    CPropertySheetOption(UINT captionId, const CManagerSettings& settings, CWnd* pParent = nullptr,
                         UINT firstPage = 0);

protected:
    BOOL OnInitDialog() override;

private:
    CPropertyMessage m_message;
    CPropertyLauncher m_launcher;
};

// The trace window's options sheet: where a screen copy goes and what it
// covers, how a monitor trace is laid out on the screen, and what a
// communication error during a trace does.
//
//   COptionPSheet sheet(IDS_TRACE_OPTIONS_CAPTION, &window);
//   sheet.m_pageScreenCopy.m_nCopyTo = options.COPY_TO;   // ... and the others
//   if (sheet.DoModal() == IDOK) options.COPY_TO = sheet.m_pageScreenCopy.m_nCopyTo;
#pragma once

#include "platform/ui/GdiObject.h"
#include "platform/ui/PropertySheet.h"

#include <functional>

// A page of the sheet: its controls in the face of the language library, at
// the size and in the character set of the sheet's language.
class COptionPage : public CPropertyPage {
public:
    explicit COptionPage(UINT nIDTemplate) : CPropertyPage(nIDTemplate) {}

    const int* m_pLanguage = nullptr;  // the sheet's language flag

protected:
    BOOL OnInitDialog() override;

private:
    CFont m_font;
};

class CScreenCopyPPage : public COptionPage {
public:
    CScreenCopyPPage();

    int m_nCopyTo = 0;    // 0 clipboard, 1 bitmap file
    int m_nCopyArea = 0;  // 0 whole window, 1 between the tool bar and the status bar

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

class CWindowViewPPage : public COptionPage {
public:
    CWindowViewPPage();

    int m_nDispMode = 0;  // 0 sweep (new samples overwrite in place), 1 oldest sample first
    // Off while a trace data file is shown: its samples are in time order.
    BOOL m_bEnable = TRUE;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

class CCommErrorPPage : public COptionPage {
public:
    CCommErrorPPage();

    int m_nErrorCheck = 1;    // check the received trace lines
    int m_nErrorDisplay = 0;  // 0 stop the trace with a message, 1 warn in the status bar

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnErrorCheck();
    DECLARE_MESSAGE_MAP()

private:
    void EnableDisplay();
};

class COptionPSheet : public CPropertySheet {
public:
    // bScreenCopyOnly: the sheet of a trace-file viewer, with the screen-copy
    // page alone.
    COptionPSheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0, BOOL bScreenCopyOnly = FALSE);

    CScreenCopyPPage m_pageScreenCopy;
    CWindowViewPPage m_pageWindowView;
    CCommErrorPPage m_pageCommError;
    int m_nLanguage = 1;  // the window's language: 0 Japanese, 1 English

protected:
    BOOL OnInitDialog() override;

private:
    CFont m_font;
};

// Makes the trace window's options command run COptionPSheet on the window's
// options (a viewer's on its live window's, with the screen-copy page alone);
// runModal, when given, runs the sheet in place of DoModal.
void InstallTraceOptionsSheet(std::function<INT_PTR(COptionPSheet&)> runModal = {});

// The print and print-setup dialog: which printer (or a PDF file instead of
// a printer), which pages, how many copies, the paper. It goes through one
// service for the process, as message boxes do, so tests script it (for
// example "print to this PDF file") and no test ever waits for a person.
// With no service installed, the Qt dialog is shown where a person can see
// it (a QApplication, its thread, a real display); anywhere else the dialog
// counts as cancelled.
#pragma once

#include "platform/core/MessageBox.h"
#include "platform/ui/Printer.h"

class CWnd;

inline constexpr DWORD PD_ALLPAGES = 0x00000000;
inline constexpr DWORD PD_SELECTION = 0x00000001;
inline constexpr DWORD PD_PAGENUMS = 0x00000002;
inline constexpr DWORD PD_NOSELECTION = 0x00000004;
inline constexpr DWORD PD_NOPAGENUMS = 0x00000008;
inline constexpr DWORD PD_COLLATE = 0x00000010;
inline constexpr DWORD PD_PRINTTOFILE = 0x00000020;
inline constexpr DWORD PD_PRINTSETUP = 0x00000040;
inline constexpr DWORD PD_NOWARNING = 0x00000080;
inline constexpr DWORD PD_RETURNDC = 0x00000100;
inline constexpr DWORD PD_RETURNIC = 0x00000200;
inline constexpr DWORD PD_RETURNDEFAULT = 0x00000400;
inline constexpr DWORD PD_USEDEVMODECOPIES = 0x00040000;
inline constexpr DWORD PD_DISABLEPRINTTOFILE = 0x00080000;
inline constexpr DWORD PD_HIDEPRINTTOFILE = 0x00100000;
inline constexpr DWORD PD_CURRENTPAGE = 0x00400000;
inline constexpr DWORD PD_NOCURRENTPAGE = 0x00800000;
// Which pages: one of these bits of Flags (none of them: all pages).
inline constexpr DWORD PD_RANGE_MASK = PD_SELECTION | PD_PAGENUMS | PD_CURRENTPAGE;

struct PRINTDLGW {
    DWORD lStructSize = sizeof(PRINTDLGW);
    HWND hwndOwner;
    HDC hDC;
    DWORD Flags = 0;
    WORD nFromPage = 0xFFFF;
    WORD nToPage = 0xFFFF;
    WORD nMinPage = 1;
    WORD nMaxPage = 0xFFFF;
    WORD nCopies = 1;
};
using PRINTDLG = PRINTDLGW;

namespace platform {

struct PrintDialogRequest {
    HWND owner;
    bool setupOnly = false;
    DWORD flags = 0;  // PD_ flags: what the dialog offers
    WORD minPage = 1;
    WORD maxPage = 0xFFFF;
    WORD fromPage = 1;
    WORD toPage = 1;
    PrinterSettings settings;  // what the dialog starts with
};

struct PrintDialogResult {
    bool ok = false;
    PrinterSettings settings;
    DWORD range = PD_ALLPAGES;  // PD_ALLPAGES, PD_SELECTION, PD_PAGENUMS or PD_CURRENTPAGE
    WORD fromPage = 1;
    WORD toPage = 1;
};

class IPrintDialogService {
public:
    virtual ~IPrintDialogService() = default;
    virtual PrintDialogResult ShowPrintDialog(const PrintDialogRequest& request) = 0;
};

IPrintDialogService* SetPrintDialogService(IPrintDialogService* service);
IPrintDialogService* GetPrintDialogService();

class ScopedPrintDialogService {
public:
    explicit ScopedPrintDialogService(IPrintDialogService* service) : m_previous(SetPrintDialogService(service)) {}
    ~ScopedPrintDialogService() { SetPrintDialogService(m_previous); }
    ScopedPrintDialogService(const ScopedPrintDialogService&) = delete;
    ScopedPrintDialogService& operator=(const ScopedPrintDialogService&) = delete;

private:
    IPrintDialogService* m_previous;
};

// Through the service; without one, the Qt dialog where a person can see it.
PrintDialogResult ShowPrintDialog(const PrintDialogRequest& request);

}  // namespace platform

// The class library's print dialog. m_settings holds the printer chosen (and
// may be set before DoModal to preselect one); m_pd the pages, copies and
// the printer DC. The dialog owns the DC it made and deletes it with itself;
// a caller that keeps the DC sets m_pd.hDC to null.
class CPrintDialog {
public:
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                                          PD_NOSELECTION,
                          CWnd* pParentWnd = nullptr);
    virtual ~CPrintDialog();
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    // IDOK when the user accepted (with a new printer DC when the flags ask
    // for one and the printer can be opened), IDCANCEL otherwise.
    virtual INT_PTR DoModal();
    // The default printer without asking; TRUE when it could be opened.
    BOOL GetDefaults();
    HDC GetPrinterDC() const { return m_pd.hDC; }
    // A new DC for the chosen printer, which the caller owns.
    HDC CreatePrinterDC();

    int GetCopies() const { return m_pd.nCopies; }
    BOOL PrintAll() const { return (m_pd.Flags & PD_RANGE_MASK) == 0; }
    BOOL PrintRange() const { return (m_pd.Flags & PD_PAGENUMS) != 0; }
    BOOL PrintSelection() const { return (m_pd.Flags & PD_SELECTION) != 0; }
    BOOL PrintCurrentPage() const { return (m_pd.Flags & PD_CURRENTPAGE) != 0; }
    BOOL PrintToFile() const { return !m_settings.outputFile.IsEmpty(); }
    int GetFromPage() const { return m_pd.nFromPage; }
    int GetToPage() const { return m_pd.nToPage; }
    CString GetDeviceName() const { return m_settings.printerName; }

    PRINTDLGW m_pd;
    platform::PrinterSettings m_settings;

private:
    void ReplaceDC(HDC dc);
};

// Printing with the system's calls: a printer DC is drawn on with the
// ordinary drawing calls, page by page between StartDoc and EndDoc, and the
// pages go to a printer of the system (through Qt's print support) or to a
// PDF file. Text stays text in the output.
//
// A printer DC measures in the printer's pixels: GetDeviceCaps gives the
// printable area (HORZRES, VERTRES), the resolution (LOGPIXELSX, LOGPIXELSY)
// and the sheet (PHYSICALWIDTH, PHYSICALHEIGHT, PHYSICALOFFSETX,
// PHYSICALOFFSETY); (0, 0) is the printable area's corner. Paper has no
// pixels to read back: GetPixel fails, and raster operations print as plain
// drawing.
//
// A PDF file is written whole or not at all: the pages go to a temporary file
// beside it that replaces the file at EndDoc, so an aborted or failed print
// leaves an existing file as it was.
#pragma once

#include "platform/ui/Gdi.h"

#include <functional>
#include <vector>

inline constexpr int TECHNOLOGY = 2;
inline constexpr int DT_RASDISPLAY = 1;
inline constexpr int DT_RASPRINTER = 2;
inline constexpr int PHYSICALWIDTH = 110;
inline constexpr int PHYSICALHEIGHT = 111;
inline constexpr int PHYSICALOFFSETX = 112;
inline constexpr int PHYSICALOFFSETY = 113;

inline constexpr int SP_ERROR = -1;

inline constexpr short DMORIENT_PORTRAIT = 1;
inline constexpr short DMORIENT_LANDSCAPE = 2;
inline constexpr short DMPAPER_LETTER = 1;
inline constexpr short DMPAPER_LEGAL = 5;
inline constexpr short DMPAPER_A3 = 8;
inline constexpr short DMPAPER_A4 = 9;
inline constexpr short DMPAPER_A5 = 11;
inline constexpr short DMPAPER_B4 = 12;
inline constexpr short DMPAPER_B5 = 13;
inline constexpr DWORD DM_ORIENTATION = 0x00000001;
inline constexpr DWORD DM_PAPERSIZE = 0x00000002;
inline constexpr DWORD DM_COPIES = 0x00000100;
inline constexpr DWORD DM_PRINTQUALITY = 0x00000400;
inline constexpr int CCHDEVICENAME = 32;

// The device settings the system's programs set: the fields named in
// dmFields count, the rest are the printer's own.
struct DEVMODEW {
    WCHAR dmDeviceName[CCHDEVICENAME] = {};
    WORD dmSize = sizeof(DEVMODEW);
    DWORD dmFields = 0;
    short dmOrientation = DMORIENT_PORTRAIT;
    short dmPaperSize = 0;
    short dmCopies = 1;
    short dmPrintQuality = 0;  // dots per inch when positive
};
using DEVMODE = DEVMODEW;

struct DOCINFOW {
    int cbSize = sizeof(DOCINFOW);
    LPCWSTR lpszDocName = nullptr;
    // A file to print into (as PDF) instead of the printer; null for none.
    LPCWSTR lpszOutput = nullptr;
    LPCWSTR lpszDatatype = nullptr;
    DWORD fwType = 0;
};
using DOCINFO = DOCINFOW;

namespace platform {

// The printer that writes PDF files; it needs an output file.
inline constexpr char16_t kPdfPrinterName[] = u"PDF";

struct PrinterSettings {
    CString printerName;  // a printer of the system or kPdfPrinterName; empty: the default printer
    CString outputFile;   // non-empty: the pages go to this PDF file instead of the printer
    short orientation = DMORIENT_PORTRAIT;
    short paperSize = 0;  // DMPAPER_*; 0: the printer's own (A4 for PDF)
    short copies = 1;
    int resolution = 0;  // dots per inch; 0: the printer's own (600 for PDF)
};

// The printers of the system and the PDF printer, which comes last.
std::vector<CString> PrinterNames();
// The system's default printer; the PDF printer when the system has none.
CString DefaultPrinterName();
// Null when the printer does not exist or the settings are unusable.
HDC CreatePrinterDC(const PrinterSettings& settings);
// The settings a printer DC was made with; false for any other DC.
bool GetPrinterSettings(HDC printer, PrinterSettings* settings);

// A page as it prints on 'printer', for a preview: draw() gets a DC with the
// printer's device capabilities and draws one page on it; the result is a
// new bitmap of width x height showing the whole sheet (white) scaled to it,
// with the drawing where the printable area lies. Null when 'printer' is
// not a printer DC or the size is unusable.
HBITMAP RenderPrinterPage(HDC printer, int width, int height, const std::function<void(HDC page)>& draw);

}  // namespace platform

// driver is ignored; device names the printer (null or empty: the default
// printer); output, when given, is a PDF file the pages go to; mode, when
// given, overrides what its dmFields name.
HDC CreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR output, const DEVMODEW* mode);
inline HDC CreateDC(LPCWSTR driver, LPCWSTR device, LPCWSTR output, const DEVMODEW* mode)
{
    return CreateDCW(driver, device, output, mode);
}

// A positive job number, or SP_ERROR (a document already open, no place to
// write to, a failed printer).
int StartDocW(HDC printer, const DOCINFOW* info);
inline int StartDoc(HDC printer, const DOCINFOW* info) { return StartDocW(printer, info); }
// Each returns a positive value, or SP_ERROR when called out of turn or when
// the output fails. Drawing outside StartPage ... EndPage fails.
int StartPage(HDC printer);
int EndPage(HDC printer);
// Finishes the document: the printer gets the job, or the PDF file is put in
// place. A document without pages prints nothing and writes no file.
int EndDoc(HDC printer);
// Drops the document: nothing is printed, no file is written.
int AbortDoc(HDC printer);

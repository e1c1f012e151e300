// Dialog data exchange: DoDataExchange moves values between a window's
// controls and its members (DDX_), and checks them on the way in (DDV_).
// UpdateData(TRUE) reads and checks, UpdateData(FALSE) fills the controls.
// A value that cannot be read or is out of range shows the standard message
// (through AfxMessageBox, so tests answer it), gives the control the focus
// (selecting an edit's text) and makes UpdateData return FALSE; the members
// that come after it keep their values.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/WindowApi.h"

namespace platform {
// What a failed exchange throws inside UpdateData (which catches it).
struct DataExchangeFailure {};
}  // namespace platform

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    // The control the last DDX_ used, and whether it is an edit (DDV_ acts on it).
    HWND m_hWndLastControl;
    BOOL m_bEditLastControl = FALSE;

    // The control of an id (made the last control); a missing one fails.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Focuses the last control and ends the exchange.
    [[noreturn]] void Fail();
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, unsigned long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, short& value);
void DDX_Text(CDataExchange* pDX, int nIDC, BYTE& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);
// 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// nIDC is the first radio button of a WS_GROUP group; the value is the
// index of the checked one, -1 for none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
// Loading selects the first item that begins with the text (or sets the
// edit part's text when none does).
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
// Loading selects the item equal to the text (without case).
void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBStringExact(CDataExchange* pDX, int nIDC, CString& value);
// Binds rControl to the control (once): its class then handles the
// control's messages.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// Checks (on reading); DDV_MaxChars also limits the edit when filling it.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal);
void DDV_MinMaxDWord(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal);
void DDV_MinMaxShort(CDataExchange* pDX, short value, short minVal, short maxVal);
void DDV_MinMaxByte(CDataExchange* pDX, BYTE value, BYTE minVal, BYTE maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal);
void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float minVal, float maxVal);

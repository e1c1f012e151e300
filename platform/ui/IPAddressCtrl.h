// IP address controls: four fields of 0 to 255 (each with its own range),
// blank until typed or set. A full stop or a third digit moves to the next
// field; characters other than digits are refused. Notifications:
// IPN_FIELDCHANGED (WM_NOTIFY, when a field is left changed), EN_CHANGE,
// EN_SETFOCUS and EN_KILLFOCUS (WM_COMMAND). A value above a field's range
// is brought down to the range when the field is left.
#pragma once

#include "platform/ui/CommonControls.h"
#include "platform/ui/Edit.h"

inline constexpr UINT IPM_CLEARADDRESS = WM_USER + 100;
inline constexpr UINT IPM_SETADDRESS = WM_USER + 101;
inline constexpr UINT IPM_GETADDRESS = WM_USER + 102;
inline constexpr UINT IPM_SETRANGE = WM_USER + 103;
inline constexpr UINT IPM_SETFOCUS = WM_USER + 104;
inline constexpr UINT IPM_ISBLANK = WM_USER + 105;

inline constexpr UINT IPN_FIRST = static_cast<UINT>(-860);
inline constexpr UINT IPN_FIELDCHANGED = IPN_FIRST - 0;

struct NMIPADDRESS {
    NMHDR hdr;
    int iField = 0;
    int iValue = 0;
};
using LPNMIPADDRESS = NMIPADDRESS*;

constexpr DWORD MAKEIPADDRESS(BYTE b1, BYTE b2, BYTE b3, BYTE b4)
{
    return (static_cast<DWORD>(b1) << 24) | (static_cast<DWORD>(b2) << 16) | (static_cast<DWORD>(b3) << 8) | b4;
}
constexpr LPARAM MAKEIPRANGE(BYTE low, BYTE high) { return static_cast<LPARAM>((static_cast<WORD>(high) << 8) | low); }
constexpr BYTE FIRST_IPADDRESS(DWORD x) { return static_cast<BYTE>((x >> 24) & 0xFF); }
constexpr BYTE SECOND_IPADDRESS(DWORD x) { return static_cast<BYTE>((x >> 16) & 0xFF); }
constexpr BYTE THIRD_IPADDRESS(DWORD x) { return static_cast<BYTE>((x >> 8) & 0xFF); }
constexpr BYTE FOURTH_IPADDRESS(DWORD x) { return static_cast<BYTE>(x & 0xFF); }

class CIPAddressCtrl : public CWnd {
    DECLARE_DYNAMIC(CIPAddressCtrl)

public:
    CIPAddressCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    BOOL IsBlank() const { return static_cast<BOOL>(SendMessage(IPM_ISBLANK)); }
    void ClearAddress() { SendMessage(IPM_CLEARADDRESS); }
    void SetAddress(DWORD dwAddress) { SendMessage(IPM_SETADDRESS, 0, static_cast<LPARAM>(dwAddress)); }
    void SetAddress(BYTE nField0, BYTE nField1, BYTE nField2, BYTE nField3)
    {
        SetAddress(MAKEIPADDRESS(nField0, nField1, nField2, nField3));
    }
    // The number of fields that are not blank (blank ones read as 0).
    int GetAddress(DWORD& dwAddress) const
    {
        return static_cast<int>(SendMessage(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&dwAddress)));
    }
    int GetAddress(BYTE& nField0, BYTE& nField1, BYTE& nField2, BYTE& nField3) const;
    void SetFieldFocus(WORD nField) { SendMessage(IPM_SETFOCUS, nField); }
    void SetFieldRange(int nField, BYTE nLower, BYTE nUpper)
    {
        SendMessage(IPM_SETRANGE, static_cast<WPARAM>(nField), MAKEIPRANGE(nLower, nUpper));
    }
};

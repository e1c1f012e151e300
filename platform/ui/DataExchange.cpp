#include "platform/ui/DataExchange.h"

#include "platform/core/MessageBox.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListBox.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The standard messages of data exchange, in the language of the resources.
enum class Prompt { Int, UInt, Real, Byte, IntRange, UIntRange, RealRange, MaxChars };

CString PromptText(Prompt prompt)
{
    const bool ja = platform::ChooseResourceLanguage() == CString(u"ja");
    switch (prompt) {
    case Prompt::Int: return ja ? u"整数を入力してください。" : u"Please enter an integer.";
    case Prompt::UInt: return ja ? u"正の整数を入力してください。" : u"Please enter a positive integer.";
    case Prompt::Real: return ja ? u"数値を入力してください。" : u"Please enter a number.";
    case Prompt::Byte: return ja ? u"0 から 255 までの整数を入力してください。" : u"Please enter an integer between 0 and 255.";
    case Prompt::IntRange: return ja ? u"%1 から %2 までの整数を入力してください。" : u"Please enter an integer between %1 and %2.";
    case Prompt::UIntRange:
        return ja ? u"%1 から %2 までの正の整数を入力してください。" : u"Please enter a positive integer between %1 and %2.";
    case Prompt::RealRange: return ja ? u"%1 から %2 までの数値を入力してください。" : u"Please enter a number between %1 and %2.";
    case Prompt::MaxChars: return ja ? u"%1 文字以内で入力してください。" : u"Please enter no more than %1 characters.";
    }
    return CString();
}

void Complain(Prompt prompt, const CString& first = CString(), const CString& second = CString())
{
    CString text = PromptText(prompt);
    text.Replace(u"%1", first.GetString());
    text.Replace(u"%2", second.GetString());
    AfxMessageBox(text.GetString(), MB_ICONEXCLAMATION);
}

CString WindowText(HWND hwnd)
{
    CString text;
    if (CWnd* wnd = CWnd::FromHandle(hwnd)) wnd->GetWindowText(text);
    return text;
}

// The text of a number field without surrounding blanks, as ASCII; false
// with a character that no number has.
bool NumberText(HWND hwnd, std::string& out)
{
    CString text = WindowText(hwnd);
    text.Trim();
    out.clear();
    for (int i = 0; i < text.GetLength(); ++i) {
        const char16_t c = text[i];
        if (c >= 0x80) return false;
        out.push_back(static_cast<char>(c));
    }
    return !out.empty();
}

bool ParseSigned(HWND hwnd, long long low, long long high, long long& value)
{
    std::string text;
    if (!NumberText(hwnd, text)) return false;
    const char* first = text.data();
    const char* last = first + text.size();
    if (*first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last && value >= low && value <= high;
}

bool ParseUnsigned(HWND hwnd, unsigned long long high, unsigned long long& value)
{
    std::string text;
    if (!NumberText(hwnd, text)) return false;
    const char* first = text.data();
    const char* last = first + text.size();
    if (*first == '+') ++first;
    if (first == last || *first < '0' || *first > '9') return false;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last && value <= high;
}

bool ParseReal(HWND hwnd, double& value)
{
    std::string text;
    if (!NumberText(hwnd, text)) return false;
    const char* first = text.data();
    const char* last = first + text.size();
    if (*first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    return ec == std::errc() && end == last && std::isfinite(value);
}

void SetText(HWND hwnd, const CString& text)
{
    if (CWnd* wnd = CWnd::FromHandle(hwnd)) wnd->SetWindowText(text.GetString());
}

template <class T>
void TextSigned(CDataExchange* pDX, int nIDC, T& value, long long low, long long high, Prompt prompt)
{
    const HWND hwnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        long long parsed = 0;
        if (!ParseSigned(hwnd, low, high, parsed)) {
            Complain(prompt);
            pDX->Fail();
        }
        value = static_cast<T>(parsed);
    } else {
        CString text;
        text.Format(u"%lld", static_cast<long long>(value));
        SetText(hwnd, text);
    }
}

template <class T>
void TextUnsigned(CDataExchange* pDX, int nIDC, T& value, unsigned long long high, Prompt prompt)
{
    const HWND hwnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        unsigned long long parsed = 0;
        if (!ParseUnsigned(hwnd, high, parsed)) {
            Complain(prompt);
            pDX->Fail();
        }
        value = static_cast<T>(parsed);
    } else {
        CString text;
        text.Format(u"%llu", static_cast<unsigned long long>(value));
        SetText(hwnd, text);
    }
}

template <class T>
void CheckRange(CDataExchange* pDX, T value, T low, T high, Prompt prompt, const char16_t* format)
{
    if (!pDX->m_bSaveAndValidate || (value >= low && value <= high)) return;
    CString first;
    CString second;
    first.Format(format, low);
    second.Format(format, high);
    Complain(prompt, first, second);
    pDX->Fail();
}

// The radio buttons of the group that starts at a control.
std::vector<HWND> RadioGroup(HWND first)
{
    std::vector<HWND> group;
    HWND h = first;
    for (int guard = 0; h && guard < 1024; ++guard) {
        if (!group.empty() && (::GetWindowLongPtrW(h, GWL_STYLE) & WS_GROUP)) break;
        if (::SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) group.push_back(h);
        h = ::GetWindow(h, GW_HWNDNEXT);
    }
    return group;
}

}  // namespace

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    const HWND hwnd = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), nIDC) : HWND();
    if (!hwnd) {
        // A member bound to no control is a fault of the program: nothing is
        // exchanged and the exchange fails rather than keep a stale value.
        std::fprintf(stderr, "data exchange: no control %d\n", nIDC);
        m_hWndLastControl = HWND();
        throw platform::DataExchangeFailure{};
    }
    m_hWndLastControl = hwnd;
    m_bEditLastControl = FALSE;
    return hwnd;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    const HWND hwnd = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hwnd;
}

void CDataExchange::Fail()
{
    if (m_hWndLastControl && ::IsWindow(m_hWndLastControl)) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl) ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw platform::DataExchangeFailure{};
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    const HWND hwnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = WindowText(hwnd);
    } else {
        SetText(hwnd, value);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) { TextSigned(pDX, nIDC, value, INT_MIN, INT_MAX, Prompt::Int); }
void DDX_Text(CDataExchange* pDX, int nIDC, long& value) { TextSigned(pDX, nIDC, value, INT_MIN, INT_MAX, Prompt::Int); }
void DDX_Text(CDataExchange* pDX, int nIDC, short& value) { TextSigned(pDX, nIDC, value, SHRT_MIN, SHRT_MAX, Prompt::Int); }
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) { TextUnsigned(pDX, nIDC, value, UINT_MAX, Prompt::UInt); }

void DDX_Text(CDataExchange* pDX, int nIDC, unsigned long& value)
{
    TextUnsigned(pDX, nIDC, value, UINT_MAX, Prompt::UInt);
}

void DDX_Text(CDataExchange* pDX, int nIDC, BYTE& value) { TextUnsigned(pDX, nIDC, value, 255, Prompt::Byte); }

void DDX_Text(CDataExchange* pDX, int nIDC, double& value)
{
    const HWND hwnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        double parsed = 0;
        if (!ParseReal(hwnd, parsed)) {
            Complain(Prompt::Real);
            pDX->Fail();
        }
        value = parsed;
    } else {
        CString text;
        text.Format(u"%.*g", DBL_DIG, value);
        SetText(hwnd, text);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, float& value)
{
    const HWND hwnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        double parsed = 0;
        if (!ParseReal(hwnd, parsed) || std::fabs(parsed) > FLT_MAX) {
            Complain(Prompt::Real);
            pDX->Fail();
        }
        value = static_cast<float>(parsed);
    } else {
        CString text;
        text.Format(u"%.*g", FLT_DIG, static_cast<double>(value));
        SetText(hwnd, text);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    const HWND hwnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageW(hwnd, BM_GETCHECK, 0, 0));
    } else {
        ::SendMessageW(hwnd, BM_SETCHECK, static_cast<WPARAM>(value < 0 || value > 2 ? 0 : value), 0);
    }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    const HWND first = pDX->PrepareCtrl(nIDC);
    const std::vector<HWND> group = RadioGroup(first);
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (::SendMessageW(group[i], BM_GETCHECK, 0, 0) == BST_CHECKED) {
                value = static_cast<int>(i);
                break;
            }
        }
    } else {
        for (std::size_t i = 0; i < group.size(); ++i) {
            ::SendMessageW(group[i], BM_SETCHECK, static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    const HWND hwnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        index = static_cast<int>(::SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
    } else {
        ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value)
{
    const HWND hwnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = WindowText(hwnd);
        return;
    }
    if (::SendMessageW(hwnd, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.GetString())) ==
        CB_ERR) {
        SetText(hwnd, value);
    }
}

void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value)
{
    const HWND hwnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = WindowText(hwnd);
        return;
    }
    const LRESULT index =
        ::SendMessageW(hwnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.GetString()));
    if (index == CB_ERR) {
        SetText(hwnd, value);
    } else {
        ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    const HWND hwnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        index = static_cast<int>(::SendMessageW(hwnd, LB_GETCURSEL, 0, 0));
    } else {
        ::SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

namespace {

void ListString(CDataExchange* pDX, int nIDC, CString& value, UINT find)
{
    const HWND hwnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        const LRESULT index = ::SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
        if (index == LB_ERR) {
            value.Empty();
            return;
        }
        const LRESULT length = ::SendMessageW(hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        std::u16string buffer(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, u'\0');
        const LRESULT n = ::SendMessageW(hwnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
        value = CString(buffer.c_str(), static_cast<int>(std::max<LRESULT>(n, 0)));
        return;
    }
    const LRESULT index = ::SendMessageW(hwnd, find, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.GetString()));
    ::SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace

void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value) { ListString(pDX, nIDC, value, LB_FINDSTRING); }
void DDX_LBStringExact(CDataExchange* pDX, int nIDC, CString& value) { ListString(pDX, nIDC, value, LB_FINDSTRINGEXACT); }

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.GetSafeHwnd()) return;
    const HWND hwnd = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hwnd)) {
        std::fprintf(stderr, "data exchange: control %d cannot be bound\n", nIDC);
        throw platform::DataExchangeFailure{};
    }
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (pDX->m_bSaveAndValidate) {
        if (value.GetLength() > nChars) {
            CString count;
            count.Format(u"%d", nChars);
            Complain(Prompt::MaxChars, count);
            pDX->Fail();
        }
    } else if (pDX->m_hWndLastControl && pDX->m_bEditLastControl) {
        ::SendMessageW(pDX->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    CheckRange(pDX, value, minVal, maxVal, Prompt::IntRange, u"%d");
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal)
{
    CheckRange(pDX, value, minVal, maxVal, Prompt::UIntRange, u"%u");
}

void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal)
{
    CheckRange(pDX, value, minVal, maxVal, Prompt::IntRange, u"%ld");
}

void DDV_MinMaxDWord(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal)
{
    CheckRange(pDX, value, minVal, maxVal, Prompt::UIntRange, u"%u");
}

void DDV_MinMaxShort(CDataExchange* pDX, short value, short minVal, short maxVal)
{
    CheckRange<int>(pDX, value, minVal, maxVal, Prompt::IntRange, u"%d");
}

void DDV_MinMaxByte(CDataExchange* pDX, BYTE value, BYTE minVal, BYTE maxVal)
{
    CheckRange<unsigned>(pDX, value, minVal, maxVal, Prompt::UIntRange, u"%u");
}

void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal)
{
    CheckRange(pDX, value, minVal, maxVal, Prompt::RealRange, u"%.15g");
}

void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float minVal, float maxVal)
{
    CheckRange<double>(pDX, value, minVal, maxVal, Prompt::RealRange, u"%.6g");
}

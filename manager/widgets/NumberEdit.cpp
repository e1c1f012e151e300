#include "manager/widgets/NumberEdit.h"

#include "manager/core/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

IMPLEMENT_DYNAMIC(CNumberEdit, CEdit)

BEGIN_MESSAGE_MAP(CNumberEdit, CEdit)
    ON_WM_CHAR()
    ON_CONTROL_REFLECT(EN_UPDATE, &CNumberEdit::OnUpdate)
    ON_WM_KILLFOCUS()
    ON_WM_SETFOCUS()
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

namespace {

constexpr char16_t kBackspace = 8;
// No typed text grows past this, whatever the widths say.
constexpr int kMaxTypedLength = 9;
// The simulator's fields allow this many characters besides a full stop and a sign.
constexpr int kSimulatorTypedLength = 8;

template <class... Args>
std::string FormatC(const char* format, Args... args)
{
    const int needed = std::snprintf(nullptr, 0, format, args...);
    if (needed <= 0) return std::string();
    std::string text(static_cast<std::size_t>(needed) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, args...);
    text.resize(static_cast<std::size_t>(needed));
    return text;
}

// A value truncated toward zero, kept within int.
int TruncateToInt(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

// "-0.00" reads as a sign that is not there.
void DropSignOfZero(std::string& text)
{
    const std::size_t minus = text.find('-');
    if (minus == std::string::npos) return;
    if (text.find_first_of("123456789") != std::string::npos) return;
    text.erase(minus, 1);
}

bool HasMisplacedSign(const CString& text, char16_t minus)
{
    const std::u16string_view view = text.view();
    return view.size() > 1 && view.find(minus, 1) != std::u16string_view::npos;
}

}  // namespace

CNumberEdit::CNumberEdit(NumberEditVariant variant) : m_variant(variant) {}

CNumberEdit::~CNumberEdit()
{
    delete m_pBackBrush;
}

char16_t CNumberEdit::Separator() const { return GetNumberLocale().decimalSeparator; }

char16_t CNumberEdit::MinusSign() const
{
    return m_variant == NumberEditVariant::Simulator ? u'-' : GetNumberLocale().negativeSign;
}

std::u16string CNumberEdit::Normalised(const CString& text) const
{
    std::u16string out(text.view());
    const char16_t separator = Separator();
    const char16_t minus = MinusSign();
    for (char16_t& ch : out) {
        if (ch == separator) {
            ch = u'.';
        } else if (ch == minus) {
            ch = u'-';
        }
    }
    return out;
}

CString CNumberEdit::Localised(const std::string& formatted) const
{
    std::u16string out;
    out.reserve(formatted.size());
    for (const char ch : formatted) {
        if (ch == '.') {
            out.push_back(Separator());
        } else if (ch == '-') {
            out.push_back(MinusSign());
        } else {
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(ch)));
        }
    }
    CString text(out.c_str());
    text.Trim();
    return text;
}

BOOL CNumberEdit::SetMode(int nMode)
{
    if (nMode != kRealMode && nMode != kIntegerMode) return FALSE;
    if (nMode != m_nMode) {
        m_nMode = nMode;
        Reformat();
    }
    return TRUE;
}

BOOL CNumberEdit::SetRealFormat(int nWidth, int nDecimals)
{
    const bool simulator = m_variant == NumberEditVariant::Simulator;
    const int maxWidth = simulator ? 14 : 10;
    const int minDecimals = simulator ? 0 : 1;
    if (nWidth < 1 || nWidth > maxWidth || nDecimals < minDecimals || nDecimals > 5) return FALSE;
    m_nRealWidth = nWidth;
    m_nDecimals = nDecimals;
    if (m_nMode == kRealMode) Reformat();
    return TRUE;
}

BOOL CNumberEdit::SetDigits(int nWidth, int nDecimals)
{
    const BOOL real = SetRealFormat(nWidth, nDecimals);
    if (nWidth < 1 || nWidth > 9) return FALSE;
    m_nIntWidth = nWidth;
    if (m_nMode == kIntegerMode) Reformat();
    return real;
}

BOOL CNumberEdit::SetIntRange(int nMax, int nMin)
{
    if (nMax <= nMin) return FALSE;
    m_nIntMax = nMax;
    m_nIntMin = nMin;
    return TRUE;
}

BOOL CNumberEdit::SetRealRange(double dMax, double dMin)
{
    bool both = true;
    if (dMax > dMin) {
        m_dRealMax = dMax;
        m_dRealMin = dMin;
    } else {
        both = false;
    }
    const int intMax = TruncateToInt(dMax);
    const int intMin = TruncateToInt(dMin);
    if (intMax > intMin) {
        m_nIntMax = intMax;
        m_nIntMin = intMin;
    } else {
        both = false;
    }
    return both ? TRUE : FALSE;
}

void CNumberEdit::SetIntValue(int nValue)
{
    const int value = std::clamp(nValue, m_nIntMin, m_nIntMax);
    if (m_hWnd) SetWindowText(Localised(FormatC("%*d", m_nIntWidth, value)));
}

void CNumberEdit::SetRealValue(double dValue)
{
    // A text that reads as no number at all counts as 0.
    double value = std::isnan(dValue) ? 0.0 : dValue;
    if (value > m_dRealMax) value = m_dRealMax;
    if (value < m_dRealMin) value = m_dRealMin;
    std::string formatted = FormatC("%*.*f", m_nRealWidth, m_nDecimals, value);
    DropSignOfZero(formatted);
    if (m_hWnd) SetWindowText(Localised(formatted));
}

int CNumberEdit::GetIntValue() const
{
    if (!m_hWnd) return 0;
    CString text;
    GetWindowText(text);
    return WideToLong(Normalised(text).c_str());
}

double CNumberEdit::GetRealValue() const
{
    if (!m_hWnd) return 0.0;
    CString text;
    GetWindowText(text);
    return WideToDouble(Normalised(text).c_str());
}

void CNumberEdit::Reformat()
{
    if (!m_hWnd) return;
    if (m_nMode == kIntegerMode) {
        SetIntValue(GetIntValue());
    } else {
        SetRealValue(GetRealValue());
    }
}

void CNumberEdit::Redraw()
{
    if (m_hWnd) RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
}

void CNumberEdit::SetBackColour(COLORREF colour, BOOL bRedraw)
{
    m_backColour = colour;
    delete m_pBackBrush;
    m_pBackBrush = new CBrush(colour);
    if (bRedraw) Redraw();
}

void CNumberEdit::SetTextColour(COLORREF colour, BOOL bRedraw)
{
    m_textColour = colour;
    if (bRedraw) Redraw();
}

BOOL CNumberEdit::FitsFormat(const CString& text) const
{
    const std::u16string_view view = text.view();
    const int signs = static_cast<int>(std::count(view.begin(), view.end(), u'-'));
    const std::size_t stop = view.find(u'.');
    if (m_nMode == kIntegerMode) return static_cast<int>(view.size()) - signs <= m_nIntWidth;
    // The sign belongs to the whole part wherever it stands.
    const std::u16string_view whole = stop == std::u16string_view::npos ? view : view.substr(0, stop);
    const std::u16string_view fraction = stop == std::u16string_view::npos ? std::u16string_view() : view.substr(stop + 1);
    const int wholeSigns = static_cast<int>(std::count(whole.begin(), whole.end(), u'-'));
    const int fractionSigns = signs - wholeSigns;
    const int wholeLength = static_cast<int>(whole.size()) - wholeSigns - fractionSigns;
    return wholeLength <= m_nRealWidth && static_cast<int>(fraction.size()) - fractionSigns <= m_nDecimals;
}

bool CNumberEdit::TypedCharacterAllowed(char16_t ch, const CString& text) const
{
    const char16_t separator = Separator();
    const char16_t minus = MinusSign();
    const bool digit = ch >= u'0' && ch <= u'9';
    const bool special = ch == minus || (m_nMode == kRealMode && ch == separator);
    if (!digit && !special && ch != kBackspace) return false;
    const std::u16string_view view = text.view();
    if (special && view.find(ch) != std::u16string_view::npos) return false;
    if (ch == kBackspace) return true;

    if (m_variant == NumberEditVariant::Simulator) {
        // The full stop counts literally here, whatever the separator is.
        int limit = kSimulatorTypedLength;
        if (view.find(u'.') != std::u16string_view::npos) ++limit;
        if (view.find(u'-') != std::u16string_view::npos) ++limit;
        return static_cast<int>(view.size()) <= limit;
    }

    int count = 0;
    if (view.find(separator) != std::u16string_view::npos) ++count;
    if (view.find(minus) != std::u16string_view::npos) ++count;
    if (ch == separator || ch == minus) ++count;
    const int widths = m_nMode == kIntegerMode ? m_nIntWidth : m_nRealWidth + m_nDecimals;
    const int limit = std::min(count + widths, kMaxTypedLength);
    int start = 0;
    int end = 0;
    GetSel(start, end);
    return static_cast<int>(view.size()) - (end - start) < limit;
}

void CNumberEdit::OnChar(UINT nChar, UINT, UINT)
{
    GetWindowText(m_strSaved);
    if (nChar > 0xFFFF) return;
    if (TypedCharacterAllowed(static_cast<char16_t>(nChar), m_strSaved)) Default();
}

void CNumberEdit::OnUpdate()
{
    if (m_repairing) return;
    CString text;
    GetWindowText(text);
    const char16_t minus = MinusSign();
    if (!HasMisplacedSign(text, minus)) return;
    m_repairing = true;
    if (!HasMisplacedSign(m_strSaved, minus)) {
        SetWindowText(m_strSaved);
    } else {
        // The text before the change was no better: keep only a leading sign.
        std::u16string kept(text.view());
        kept.erase(std::remove(kept.begin() + 1, kept.end(), minus), kept.end());
        SetWindowText(CString(kept.c_str()));
    }
    m_repairing = false;
}

void CNumberEdit::OnKillFocus(CWnd* pNewWnd)
{
    Reformat();
    CEdit::OnKillFocus(pNewWnd);
}

void CNumberEdit::OnSetFocus(CWnd* pOldWnd) { CEdit::OnSetFocus(pOldWnd); }

HBRUSH CNumberEdit::CtlColor(CDC* pDC, UINT)
{
    if (!m_pBackBrush || !pDC) return HBRUSH();
    pDC->SetTextColor(m_textColour);
    pDC->SetBkColor(m_backColour);
    return *m_pBackBrush;
}

BOOL CNumberEdit::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && pMsg->hwnd == m_hWnd) Reformat();
    return CEdit::PreTranslateMessage(pMsg);
}

LRESULT CNumberEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The text before any change that does not come as a typed character,
    // so a misplaced sign is undone to what was there just before.
    switch (message) {
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REPLACESEL:
    case WM_SETTEXT:
        if (!m_repairing && m_hWnd) GetWindowText(m_strSaved);
        break;
    default:
        break;
    }
    return CEdit::WindowProc(message, wParam, lParam);
}

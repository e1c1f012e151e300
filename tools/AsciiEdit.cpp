#include "tools/AsciiEdit.h"

#include "tools/ControlUtility.h"

BEGIN_MESSAGE_MAP(CAsciiEdit, CEdit)
    ON_CONTROL_REFLECT_EX(EN_UPDATE, &CAsciiEdit::OnUpdate)
END_MESSAGE_MAP()

bool CAsciiEdit::IsAllowed(char16_t ch) { return ch < 128 && ch != u','; }

bool CAsciiEdit::IsAllowedText(const CString& strText)
{
    // Text is UTF-16 here: a character below 128 is never part of a
    // multi-byte character, so the 7-bit test covers lead bytes too.
    for (int i = 0; i < strText.GetLength(); ++i) {
        if (!IsAllowed(strText[i])) return false;
    }
    return true;
}

LRESULT CAsciiEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR: {
        const auto ch = static_cast<char16_t>(wParam);
        // Control characters (backspace, selection keys) still edit.
        if (ch >= 0x20 && !IsAllowed(ch)) return 0;
        break;
    }
    case WM_PASTE:
        if (!IsAllowedText(GetClipboardText())) return 0;
        break;
    default:
        break;
    }
    return CEdit::WindowProc(message, wParam, lParam);
}

BOOL CAsciiEdit::OnUpdate()
{
    if (m_bCleaning) return FALSE;
    CString text;
    GetWindowText(text);
    CString kept;
    for (int i = 0; i < text.GetLength(); ++i) {
        if (IsAllowed(text[i])) kept += text[i];
    }
    if (kept != text) {
        m_bCleaning = true;
        int start = 0;
        int end = 0;
        GetSel(start, end);
        SetWindowText(kept);
        const int caret = start > kept.GetLength() ? kept.GetLength() : start;
        SetSel(caret, caret);
        m_bCleaning = false;
    }
    // The parent hears of the change as usual.
    return FALSE;
}

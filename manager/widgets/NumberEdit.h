// A single-line edit for numbers: whole numbers (integer mode) or numbers
// with a fixed count of decimals (real mode). Keystrokes are filtered while
// typing, the value is kept inside a range, and the text is rewritten in its
// canonical form when the field loses the focus or Enter is pressed.
//
// The decimal separator and the minus sign are the user's (NumberText.h);
// the simulator's fields type a plain "-" and count their length their own
// way (NumberEditVariant::Simulator). Texts are formatted and read in the C
// locale and then shown with the user's characters, so what is shown and
// what is read back always agree.
//
// The field sends nothing of its own to its parent; EN_UPDATE stays with the
// field (it repairs a misplaced minus sign there).
#pragma once

#include "platform/ui/Edit.h"

enum class NumberEditVariant {
    Manager,
    Simulator,
};

class CNumberEdit : public CEdit {
    DECLARE_DYNAMIC(CNumberEdit)

public:
    static constexpr int kRealMode = 0;
    static constexpr int kIntegerMode = 1;

    explicit CNumberEdit(NumberEditVariant variant = NumberEditVariant::Manager);
    ~CNumberEdit() override;

    // FALSE and nothing changes unless mode is kRealMode or kIntegerMode.
    BOOL SetMode(int nMode);
    int GetMode() const { return m_nMode; }
    // Width: digits before the separator while typing, and the minimum field
    // width of the format. Manager fields take width 1-10 and decimals 1-5,
    // simulator fields width 1-14 and decimals 0-5.
    BOOL SetRealFormat(int nWidth, int nDecimals);
    // SetRealFormat, then the integer width (1-9); TRUE when both took effect.
    BOOL SetDigits(int nWidth, int nDecimals);
    // TRUE and stored when maximum > minimum.
    BOOL SetIntRange(int nMax, int nMin);
    // Stores the real range, and the ranges truncated toward zero as the
    // integer range, each when its maximum exceeds its minimum; TRUE when both.
    BOOL SetRealRange(double dMax, double dMin);

    void SetIntValue(int nValue);
    void SetRealValue(double dValue);
    // The leading number of the text (0 when there is none); no range check.
    int GetIntValue() const;
    double GetRealValue() const;
    // Rewrites the text as the clamped value of the current mode.
    void Reformat();

    // Colours given through the reflected colour message; without a
    // background colour set the parent's colours apply.
    void SetBackColour(COLORREF colour, BOOL bRedraw = TRUE);
    void SetTextColour(COLORREF colour, BOOL bRedraw = TRUE);
    // Whether a text fits the current widths (a "-" is not counted; a full
    // stop splits the whole and the decimal part).
    BOOL FitsFormat(const CString& text) const;

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnUpdate();
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()

private:
    char16_t Separator() const;
    char16_t MinusSign() const;
    // The text in the C locale's characters, for reading.
    std::u16string Normalised(const CString& text) const;
    // A formatted C-locale number in the user's characters.
    CString Localised(const std::string& formatted) const;
    bool TypedCharacterAllowed(char16_t ch, const CString& text) const;
    void Redraw();

    NumberEditVariant m_variant;
    int m_nMode = kRealMode;
    int m_nRealWidth = 4;
    int m_nDecimals = 2;
    int m_nIntWidth = 8;
    double m_dRealMax = 9999.0;
    double m_dRealMin = -9999.0;
    int m_nIntMax = 999999999;
    int m_nIntMin = -999999999;
    // The whole text just before the last change that came from the user.
    CString m_strSaved;
    CBrush* m_pBackBrush = nullptr;
    COLORREF m_textColour = RGB(0, 0, 0);
    COLORREF m_backColour = RGB(255, 255, 255);
    bool m_repairing = false;
};

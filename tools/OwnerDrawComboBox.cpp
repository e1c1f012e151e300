#include "tools/OwnerDrawComboBox.h"

int COwnerDrawComboBox::AddItem(LPCWSTR text, DWORD_PTR data)
{
    const int index = AddString(text);
    if (index < 0) return -1;
    if (SetItemData(index, data) == CB_ERR) return -1;
    return index;
}

void COwnerDrawComboBox::MeasureItem(MEASUREITEMSTRUCT* lpMeasureItemStruct)
{
    if (lpMeasureItemStruct) lpMeasureItemStruct->itemHeight = kItemHeight;
}

int COwnerDrawComboBox::TextOffsetY()
{
    LOGFONT font{};
    if (CFont* current = GetFont()) current->GetLogFont(&font);
    return font.lfCharSet == SHIFTJIS_CHARSET ? 2 : 1;
}

int COwnerDrawComboBox::DrawItemPicture(CDC*, const RECT& rect, DWORD_PTR) { return rect.left + 2; }

void COwnerDrawComboBox::DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct)
{
    if (!lpDrawItemStruct) return;
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    const CRect rect(lpDrawItemStruct->rcItem);
    const UINT state = lpDrawItemStruct->itemState;
    const bool disabled = (state & ODS_DISABLED) != 0;
    const int item = static_cast<int>(lpDrawItemStruct->itemID);
    CString text;
    if (item >= 0) GetLBText(item, text);

    if (disabled && text.IsEmpty()) {
        pDC->FillSolidRect(&rect, ::GetSysColor(COLOR_BTNFACE));
        return;
    }
    COLORREF back = ::GetSysColor(COLOR_WINDOW);
    COLORREF fore = ::GetSysColor(COLOR_WINDOWTEXT);
    if ((state & ODS_SELECTED) && !disabled) {
        back = ::GetSysColor(COLOR_HIGHLIGHT);
        fore = ::GetSysColor(COLOR_WINDOWTEXT) ^ 0x00FFFFFF;
    }
    if (disabled) fore = ::GetSysColor(COLOR_INACTIVECAPTIONTEXT);
    pDC->FillSolidRect(&rect, back);
    const int saved = pDC->SaveDC();
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(fore);
    const int left = item >= 0 ? DrawItemPicture(pDC, rect, lpDrawItemStruct->itemData) : rect.left + 2;
    CRect textRect(left, rect.top + TextOffsetY(), rect.right, rect.bottom);
    pDC->DrawText(text, &textRect, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    pDC->RestoreDC(saved);
    if (state & ODS_FOCUS) pDC->DrawFocusRect(&rect);
}

int CColorSwatchComboBox::DrawItemPicture(CDC* pDC, const RECT& rect, DWORD_PTR data)
{
    const int top = rect.top + (rect.bottom - rect.top - kSwatchSize) / 2;
    const CRect swatch(rect.left + 2, top, rect.left + 2 + kSwatchSize, top + kSwatchSize);
    pDC->FillSolidRect(&swatch, static_cast<COLORREF>(data));
    CBrush frame(RGB(0, 0, 0));
    pDC->FrameRect(&swatch, &frame);
    return swatch.right + 4;
}

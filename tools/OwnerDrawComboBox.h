// Owner-drawn combo boxes of the trace window: fixed-height items with
// strings, drawn in the system's list colours; the swatch combo shows each
// item's colour (its data word) before its text.
#pragma once

#include "platform/ui/ComboBox.h"

class COwnerDrawComboBox : public CComboBox {
public:
    static constexpr int kItemHeight = 15;

    // Adds the text with its data word; the index, or -1.
    int AddItem(LPCWSTR text, DWORD_PTR data);

    void DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct) override;
    void MeasureItem(MEASUREITEMSTRUCT* lpMeasureItemStruct) override;

protected:
    // Draws an item's own picture before its text; returns where the text starts.
    virtual int DrawItemPicture(CDC* pDC, const RECT& rect, DWORD_PTR data);
    // 2 pixels down with a Japanese dialog font, 1 with a Western one.
    int TextOffsetY();
};

class CColorSwatchComboBox : public COwnerDrawComboBox {
public:
    static constexpr int kSwatchSize = 11;

protected:
    int DrawItemPicture(CDC* pDC, const RECT& rect, DWORD_PTR data) override;
};

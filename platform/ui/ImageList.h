// Lists of same-sized images with masks, and the class library's wrapper.
#pragma once

#include "platform/ui/Gdi.h"
#include "platform/ui/GdiObject.h"

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
// Adds every cell of a bitmap strip; 'mask' (monochrome, white = transparent)
// may be null. Returns the index of the first new image, or -1.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// Pixels of 'maskColor' become transparent (and black in the image).
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF maskColor);
// Index -1 appends.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
inline int ImageList_AddIcon(HIMAGELIST list, HICON icon) { return ImageList_ReplaceIcon(list, -1, icon); }
// Index -1 removes all.
BOOL ImageList_Remove(HIMAGELIST list, int index);
HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color);
COLORREF ImageList_GetBkColor(HIMAGELIST list);

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow)
    {
        return Attach(ImageList_Create(cx, cy, flags, initial, grow));
    }
    BOOL Attach(HIMAGELIST list)
    {
        if (m_hImageList || !list) return FALSE;
        m_hImageList = list;
        return TRUE;
    }
    HIMAGELIST Detach()
    {
        const HIMAGELIST h = m_hImageList;
        m_hImageList = nullptr;
        return h;
    }
    BOOL DeleteImageList() { return m_hImageList ? ImageList_Destroy(Detach()) : FALSE; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    int Add(CBitmap* image, CBitmap* mask)
    {
        return image ? ImageList_Add(m_hImageList, *image, mask ? HBITMAP(*mask) : HBITMAP()) : -1;
    }
    int Add(CBitmap* image, COLORREF maskColor) { return image ? ImageList_AddMasked(m_hImageList, *image, maskColor) : -1; }
    int Add(HICON icon) { return ImageList_ReplaceIcon(m_hImageList, -1, icon); }
    int Replace(int index, HICON icon) { return ImageList_ReplaceIcon(m_hImageList, index, icon); }
    BOOL Remove(int index) { return ImageList_Remove(m_hImageList, index); }
    HICON ExtractIcon(int index) { return ImageList_GetIcon(m_hImageList, index, 0); }
    BOOL Draw(CDC* dc, int index, POINT pt, UINT style);
    COLORREF SetBkColor(COLORREF color) { return ImageList_SetBkColor(m_hImageList, color); }
    COLORREF GetBkColor() const { return ImageList_GetBkColor(m_hImageList); }

    HIMAGELIST m_hImageList;
};

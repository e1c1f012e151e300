#include "tools/trace/ColorStatusBar.h"

#include "platform/ui/DC.h"

#include <algorithm>

bool CColorStatusBar::AddPane(UINT nID, COLORREF crText, COLORREF crBack)
{
    const int index = CommandToIndex(nID);
    if (index < 0) return false;
    Entry entry;
    entry.nIndex = index;
    entry.nID = nID;
    entry.crText = crText;
    entry.crBack = crBack;
    entry.strText = GetPaneText(index);
    m_entries.push_back(entry);
    GetStatusBarCtrl().SetText(nullptr, index, SBT_OWNERDRAW);
    return true;
}

bool CColorStatusBar::AddPane(UINT nID, bool bGrey)
{
    return AddPane(nID, ::GetSysColor(bGrey ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT), ::GetSysColor(COLOR_BTNFACE));
}

CColorStatusBar::Entry* CColorStatusBar::Find(UINT nID)
{
    for (Entry& entry : m_entries)
        if (entry.nID == nID) return &entry;
    return nullptr;
}

int CColorStatusBar::SetPaneColors(UINT nID, COLORREF crText, COLORREF crBack, BOOL bRedraw)
{
    Entry* entry = Find(nID);
    if (!entry) return -1;
    entry->crText = crText;
    entry->crBack = crBack;
    if (bRedraw) Invalidate();
    return 0;
}

int CColorStatusBar::SetPaneText(UINT nID, const CString& strText, BOOL bRedraw)
{
    Entry* entry = Find(nID);
    if (!entry) return -1;
    entry->strText = strText;
    FitPane(*entry);
    if (bRedraw) Invalidate();
    return 0;
}

CString CColorStatusBar::GetEntryText(UINT nID) const
{
    for (const Entry& entry : m_entries)
        if (entry.nID == nID) return entry.strText;
    return CString();
}

// A pane grows to its text, so no text is cut.
void CColorStatusBar::FitPane(const Entry& entry)
{
    if (!GetSafeHwnd()) return;
    CClientDC dc(this);
    CFont* old = dc.SelectObject(GetFont());
    const int width = dc.GetTextExtent(entry.strText).cx + 6;
    dc.SelectObject(old);
    UINT id = 0;
    UINT style = 0;
    int cx = 0;
    GetPaneInfo(entry.nIndex, id, style, cx);
    if (width > cx) SetPaneInfo(entry.nIndex, id, style, width);
}

void CColorStatusBar::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    const Entry* found = nullptr;
    for (const Entry& entry : m_entries)
        if (entry.nIndex == static_cast<int>(lpDrawItemStruct->itemID)) found = &entry;
    if (!found) return;
    CDC* dc = CDC::FromHandle(lpDrawItemStruct->hDC);
    CRect rc(lpDrawItemStruct->rcItem);
    rc.right -= 4;
    rc.bottom -= 1;
    dc->FillSolidRect(&rc, found->crBack);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(found->crText);
    dc->TextOut(rc.left + 2, rc.top + 1, found->strText);
}

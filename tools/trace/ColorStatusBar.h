// The trace window's status bar: panes drawn by the bar itself in a text and
// back colour of their own (the line-error warning is white on red). Each
// coloured pane is kept as an entry {pane index, command id, colours, text};
// the bar owns its entries.
#pragma once

#include "platform/ui/StatusBar.h"

#include <vector>

class CColorStatusBar : public CStatusBar {
public:
    // The pane of the id drawn in these colours with its current text;
    // false when the bar has no such pane.
    bool AddPane(UINT nID, COLORREF crText, COLORREF crBack);
    // The same in grey or window-text colour on the button face.
    bool AddPane(UINT nID, bool bGrey);
    // A negative result when the id has no entry; nothing changes then.
    int SetPaneColors(UINT nID, COLORREF crText, COLORREF crBack, BOOL bRedraw);
    int SetPaneText(UINT nID, const CString& strText, BOOL bRedraw);
    // Ids are plain int constants: this keeps a call with one and a CString
    // on the entry's text (clang finds the two overloads above ambiguous).
    int SetPaneText(int nID, const CString& strText, BOOL bRedraw)
    {
        return SetPaneText(static_cast<UINT>(nID), strText, bRedraw);
    }
    using CStatusBar::SetPaneText;
    // The text of the entry of the id (empty without one).
    CString GetEntryText(UINT nID) const;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

private:
    struct Entry {
        int nIndex = 0;
        UINT nID = 0;
        COLORREF crText = 0;
        COLORREF crBack = 0;
        CString strText;
    };
    Entry* Find(UINT nID);
    void FitPane(const Entry& entry);

    std::vector<Entry> m_entries;
};

// The status bar of the trace dialogs (its own class identity only).
class CDlgStatusBar : public CColorStatusBar {};

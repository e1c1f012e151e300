// A round indicator lamp in one of two colours, drawn as a glass sphere sunk
// into the panel. SetState may be called from any thread (the monitors'
// workers set lamps directly); the repaint happens on the window's thread.
#pragma once

#include "platform/ui/Static.h"

#include <atomic>

class CLedLamp : public CStatic {
    DECLARE_DYNAMIC(CLedLamp)

public:
    CLedLamp() = default;

    // Stores both colours; the lamp is not repainted.
    void SetColors(COLORREF on, COLORREF off);
    void SetState(bool bOn);
    bool GetState() const { return m_on.load(); }

    // Draws one lamp in a square: the bezel, then the lit glass.
    static void DrawLamp(CDC& dc, const RECT& square, COLORREF colour);

protected:
    void PreSubclassWindow() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    std::atomic<COLORREF> m_onColour{RGB(0, 255, 0)};
    std::atomic<COLORREF> m_offColour{RGB(0, 75, 0)};
    std::atomic<bool> m_on{true};
};

// Paints a window's client area through a memory bitmap that starts as a
// copy of what the window shows, and copies it back in one transfer.
template <class Draw>
void PaintOverWindowImage(CWnd& wnd, Draw draw)
{
    CPaintDC paint(&wnd);
    CRect client;
    wnd.GetClientRect(&client);
    if (client.Width() <= 0 || client.Height() <= 0) return;
    CDC memory;
    memory.CreateCompatibleDC(&paint);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&paint, client.Width(), client.Height());
    CBitmap* old = memory.SelectObject(&bitmap);
    memory.BitBlt(0, 0, client.Width(), client.Height(), &paint, 0, 0, SRCCOPY);
    draw(memory, client);
    paint.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
}

// A column of eight lamps that shows the bits of a byte, bit 0 at the top.
// SetBits may be called from any thread (the I/O monitor's worker sets the
// rows directly); the repaint happens on the window's thread.
#pragma once

#include "platform/ui/Static.h"

#include <atomic>

class CLedLampRow : public CStatic {
    DECLARE_DYNAMIC(CLedLampRow)

public:
    static constexpr int kLampCount = 8;
    // Below this a lamp would be too small to read: the row grows instead.
    static constexpr int kMinLampPx = 10;

    CLedLampRow() = default;

    // Lamp i is on when bit i of the value is set (bits 0 to 7).
    void SetBits(int nValue);
    int GetBits() const { return static_cast<int>(m_bits.load()); }
    // Only the lamps whose bit is set here are drawn (all by default).
    void SetVisibleMask(BYTE mask);

protected:
    void PreSubclassWindow() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    void Attached();

    COLORREF m_onColour = RGB(0, 255, 0);
    COLORREF m_offColour = RGB(0, 75, 0);
    // Every lamp shows the on colour until the first value arrives.
    std::atomic<unsigned> m_bits{0xFFu};
    std::atomic<BYTE> m_visibleMask{0xFFu};
    int m_nLampCount = kLampCount;
};

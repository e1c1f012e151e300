// The HTML tooltip on the window layer: its timers are the tip window's,
// the tools are found among the owner's windows, and the tip shows in a
// translucent top-level widget of its own. The window layer's windows paint
// opaque images; a tip's shadow and fading need per-pixel alpha, so its face
// is this widget, and the mouse over it is handed to the tooltip as the
// owner's messages.
#pragma once

#include "htmltip/TipPlatform.h"

#include <QImage>
#include <QWidget>

#include <memory>

class CHtmlToolTip;

namespace htmltip {

// The tip on the screen: the composed pixels with their alpha. The mouse
// over it goes to the tooltip as messages of the owner window.
class TipFace : public QWidget {
public:
    explicit TipFace(CHtmlToolTip& tip);
    void SetImage(const QImage& image);
    const QImage& Image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Relay(UINT message, QPoint global);

    CHtmlToolTip& m_tip;
    QImage m_image;
};

class WindowTipPlatform : public ITipPlatform {
public:
    explicit WindowTipPlatform(CHtmlToolTip& tip);
    ~WindowTipPlatform() override;
    WindowTipPlatform(const WindowTipPlatform&) = delete;
    WindowTipPlatform& operator=(const WindowTipPlatform&) = delete;

    void StartTimer(UINT id, UINT periodMs) override;
    void StopTimer(UINT id) override;
    POINT GetCursorPos() override;
    RECT GetVirtualScreen() override;
    // The deepest visible window of the owner's top-level window under the
    // point (tools are the owner's controls).
    HWND WindowFromPoint(POINT screen) override;
    HWND ChildWindowFromPoint(HWND window, POINT client) override;
    HWND GetParent(HWND window) override;
    // A drop-down combo box is one window here: its edit has none of its own.
    bool IsDropDownCombo(HWND window) override;
    bool IsWindowEnabled(HWND window) override;
    POINT ScreenToClient(HWND window, POINT screen) override;
    POINT ClientToScreen(HWND window, POINT client) override;
    POINT GetScrollPosition(HWND window) override;
    void ShowTip(POINT topLeft, SIZE size, const QRegion& shape, bool keepZOrder) override;
    void MoveTip(POINT topLeft) override;
    void HideTip() override;
    bool IsTipVisible() override;
    void PresentTip(const QImage& image) override;
    void SetArrowCursor() override;

    // The face's widget, for tests.
    TipFace* Face() const { return m_face.get(); }

private:
    CHtmlToolTip& m_tip;
    std::unique_ptr<TipFace> m_face;
};

}  // namespace htmltip

// Internal to the frames: the menu bar of a frame window, a QMenuBar built
// from a menu handle. Each popup is rebuilt from its menu when it opens,
// after the frame's WM_INITMENUPOPUP has run the update handlers; a chosen
// item posts WM_COMMAND to the frame.
#pragma once

#include "platform/ui/Menu.h"

#include <QMenuBar>

#include <QObject>
#include <QPointer>

class QMenu;
class QMenuBar;
class QWidget;

namespace platform::ui {

class FrameMenuBar : public QObject {
public:
    FrameMenuBar(QWidget* frameWidget, HWND frame);
    ~FrameMenuBar() override;
    FrameMenuBar(const FrameMenuBar&) = delete;
    FrameMenuBar& operator=(const FrameMenuBar&) = delete;

    // Shows the top-level items of menu (null: no menu bar).
    void SetMenu(HMENU menu);
    HMENU Menu() const { return m_menu; }
    // Builds the bar again from the menu's items.
    void Rebuild();
    // The bar's height (0 without a menu).
    int Height() const;
    void Place(int width);
    QMenuBar* Bar() const { return m_bar; }
    // Fills a popup from its menu, as when it opens (for tests: no popup
    // needs to be shown). The top-level popup at index.
    QMenu* OpenPopup(int index);

private:
    void Fill(QMenu* popup, HMENU menu, int index, int depth);

    QPointer<QMenuBar> m_bar;
    HWND m_frame;
    HMENU m_menu;
};

}  // namespace platform::ui

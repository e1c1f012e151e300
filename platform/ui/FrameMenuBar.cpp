#include "platform/ui/FrameMenuBar.h"

#include "platform/ui/StandardDialogs.h"
#include "platform/ui/WidgetPeer.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace platform::ui {

namespace {

constexpr int kMaxDepth = 16;

// Menus of both kinds mark mnemonics with '&' and write '&&' for an ampersand.
QString ItemText(const CString& text) { return ToQString(text); }

}  // namespace

FrameMenuBar::FrameMenuBar(QWidget* frameWidget, HWND frame) : m_frame(frame)
{
    m_bar = new QMenuBar(frameWidget);
    m_bar->setNativeMenuBar(false);
    m_bar->hide();
}

FrameMenuBar::~FrameMenuBar()
{
    if (m_bar) {
        m_bar->hide();
        m_bar->deleteLater();
    }
}

void FrameMenuBar::SetMenu(HMENU menu)
{
    m_menu = menu;
    Rebuild();
}

void FrameMenuBar::Rebuild()
{
    if (!m_bar) return;
    m_bar->clear();
    if (!m_menu || !::IsMenu(m_menu)) {
        m_bar->hide();
        return;
    }
    const std::vector<PopupMenuItem> items = MenuItemsOf(m_menu);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PopupMenuItem& item = items[i];
        if (item.flags & MF_SEPARATOR) continue;
        if (item.submenu) {
            QMenu* popup = m_bar->addMenu(ItemText(item.text));
            popup->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
            const HMENU sub = item.submenu;
            const int index = static_cast<int>(i);
            QObject::connect(popup, &QMenu::aboutToShow, this, [this, popup, sub, index] { Fill(popup, sub, index, 0); });
        } else {
            QAction* action = m_bar->addAction(ItemText(item.text));
            action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
            const UINT id = item.id;
            const HWND frame = m_frame;
            QObject::connect(action, &QAction::triggered, this, [frame, id] {
                ::PostMessageW(frame, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
            });
        }
    }
    m_bar->show();
}

void FrameMenuBar::Fill(QMenu* popup, HMENU menu, int index, int depth)
{
    if (!popup || depth > kMaxDepth) return;
    // The frame runs the update handlers on the menu first.
    if (::IsWindow(m_frame)) ::SendMessageW(m_frame, WM_INITMENUPOPUP, menu.ToWParam(), MAKELPARAM(index, FALSE));
    popup->clear();
    const std::vector<PopupMenuItem> items = MenuItemsOf(menu);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PopupMenuItem& item = items[i];
        if (item.flags & MF_SEPARATOR) {
            popup->addSeparator();
            continue;
        }
        const QStringList parts = ItemText(item.text).split(QChar(u'\t'));
        if (item.submenu) {
            QMenu* sub = popup->addMenu(parts.value(0));
            sub->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
            const HMENU subMenu = item.submenu;
            const int subIndex = static_cast<int>(i);
            QObject::connect(sub, &QMenu::aboutToShow, this,
                             [this, sub, subMenu, subIndex, depth] { Fill(sub, subMenu, subIndex, depth + 1); });
            continue;
        }
        QAction* action = popup->addAction(parts.value(0));
        if (parts.size() > 1) action->setShortcut(QKeySequence(parts.value(1)));
        // Shortcuts are the frame's accelerators; the menu only shows them.
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
        if (item.flags & MF_CHECKED) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        const UINT id = item.id;
        const HWND frame = m_frame;
        QObject::connect(action, &QAction::triggered, this, [frame, id] {
            ::PostMessageW(frame, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
        });
    }
}

QMenu* FrameMenuBar::OpenPopup(int index)
{
    if (!m_bar || !m_menu) return nullptr;
    const std::vector<PopupMenuItem> items = MenuItemsOf(m_menu);
    int shown = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].flags & MF_SEPARATOR) continue;
        if (static_cast<int>(i) == index) {
            const QList<QAction*> actions = m_bar->actions();
            if (shown >= actions.size()) return nullptr;
            QMenu* popup = actions[shown]->menu();
            if (popup) Fill(popup, items[i].submenu, index, 0);
            return popup;
        }
        ++shown;
    }
    return nullptr;
}

int FrameMenuBar::Height() const
{
    if (!m_bar || !m_menu || m_bar->actions().isEmpty()) return 0;
    return m_bar->sizeHint().height();
}

void FrameMenuBar::Place(int width)
{
    if (!m_bar) return;
    const int h = Height();
    if (h == 0) {
        m_bar->hide();
        return;
    }
    m_bar->setGeometry(0, 0, width, h);
    m_bar->show();
    m_bar->raise();
}

}  // namespace platform::ui

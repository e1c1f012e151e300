// Internal to the window layer: items that the owner draws (combo and list
// items) are drawn into a bitmap of the item's size through WM_DRAWITEM.
#pragma once

#include "platform/ui/WindowApi.h"

#include <QImage>
#include <QSize>

namespace platform::ui {

// Sends WM_DRAWITEM to the owner with a memory DC of the item's size (the
// font selected, background of the list) and gives back what it drew.
QImage DrawOwnerItem(HWND owner, DRAWITEMSTRUCT& item, QSize size, HFONT font);

}  // namespace platform::ui

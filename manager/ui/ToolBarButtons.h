// The buttons of the manager's tool bars: a command, its icon and the string
// of its label, and the one way both frames fill a bar with them.
#pragma once

#include "platform/ui/ImageList.h"
#include "platform/ui/ToolBar.h"

#include <span>

struct ToolBarButton {
    UINT command;  // ID_SEPARATOR for a separator
    UINT icon;
    UINT label;
};

// Puts the buttons on the bar with their icons at the size, in a new image
// list, and their labels when asked.
void FillToolBar(CToolBar& bar, CImageList& images, std::span<const ToolBarButton> buttons, int size, bool labels);

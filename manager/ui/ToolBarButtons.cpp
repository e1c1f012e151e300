#include "manager/ui/ToolBarButtons.h"

#include "manager/ui/ManagerMessages.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/ResourceImages.h"

#include <vector>

void FillToolBar(CToolBar& bar, CImageList& images, std::span<const ToolBarButton> buttons, int size, bool labels)
{
    std::vector<UINT> commands;
    for (const ToolBarButton& b : buttons) commands.push_back(b.command);
    bar.SetButtons(commands.data(), static_cast<int>(commands.size()));
    images.Create(size, size, ILC_COLOR24 | ILC_MASK, 10, 4);
    for (const ToolBarButton& b : buttons) {
        if (!b.icon) continue;
        const HICON icon = HICON(::LoadImageW(HINSTANCE(), MAKEINTRESOURCEW(b.icon), IMAGE_ICON, size, size, 0));
        images.Add(icon);
        if (icon) ::DestroyIcon(icon);
    }
    bar.GetToolBarCtrl().SetImageList(&images);
    if (!labels) return;
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].command != ID_SEPARATOR && buttons[i].label)
            bar.SetButtonText(static_cast<int>(i), LoadFrameText(buttons[i].label).GetString());
}

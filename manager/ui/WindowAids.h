// Small drawing aids of the manager's panes and edit fields, and the common
// background the controller dialogs paint their static controls with.
#pragma once

#include "platform/ui/Gdi.h"

class CDC;
class CEdit;
class CWnd;

// Keeps the button-face colour and the default interface font's description
// for the panes, and makes the common background brush of that colour. The
// main frame calls it each time it loads its settings. True.
bool CacheSystemColors();
COLORREF CachedButtonFaceColor();
// The common background brush (made on first use when not yet cached).
HBRUSH CommonBackgroundBrush();
const LOGFONT& CachedDefaultFont();

// A sunken frame of one pixel around a pane's rectangle, in the shadow and
// highlight colours; the rectangle is the frame's outside.
void DrawPaneFrame(CDC& dc, const RECT& rect);

// Centres the edit's formatting rectangle vertically in its client area
// (top = (client height - text height + 1) / 2, the text's height) and
// narrows it by 2 pixels at each side.
void AdjustEditFormatRect(CEdit& edit);
// Formatting rectangle = the client area shrunk by the margin on every side.
void SetEditFormatRect(CEdit& edit, int margin);

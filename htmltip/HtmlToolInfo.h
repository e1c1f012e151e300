// A tool of the HTML tooltip: a window (or a rectangle of it) and the markup
// shown for it, with the fields that override the tooltip's defaults.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/Messages.h"

// Which fields of a tool record count; a field whose bit is clear takes the
// tooltip's default when the tip is shown.
inline constexpr UINT HTML_TOOL_MASK_STYLE = 0x01;
inline constexpr UINT HTML_TOOL_MASK_EFFECT = 0x02;  // effect and granularity
inline constexpr UINT HTML_TOOL_MASK_COLORS = 0x04;
inline constexpr UINT HTML_TOOL_MASK_DIRECTION = 0x08;
inline constexpr UINT HTML_TOOL_MASK_BEHAVIOUR = 0x10;
inline constexpr UINT HTML_TOOL_MASK_TRANSPARENCY = 0x20;

// Behaviour flags.
// The tool's rectangle is forgotten when the tip hides, so the same tool
// shows again without the mouse leaving it.
inline constexpr UINT HTML_TOOL_SHOW_AGAIN = 0x01;
// The tip follows the mouse inside the tool.
inline constexpr UINT HTML_TOOL_FOLLOW_MOUSE = 0x02;
// Moving inside the same tool restarts autopop instead of hiding.
inline constexpr UINT HTML_TOOL_STAY_IN_TOOL = 0x04;
// Moving over the visible tip restarts autopop instead of hiding.
inline constexpr UINT HTML_TOOL_STAY_OVER_TIP = 0x08;
// No autopop (help tips always carry it).
inline constexpr UINT HTML_TOOL_NO_AUTOPOP = 0x10;

// Directions: the high nibble is the side of the tip that carries the
// anchor, the low nibble where along that side.
inline constexpr UINT HTML_TIP_TOP_EDGE = 0x00;     // the tip lies below the point
inline constexpr UINT HTML_TIP_BOTTOM_EDGE = 0x10;  // above the point
inline constexpr UINT HTML_TIP_LEFT_EDGE = 0x20;    // right of the point
inline constexpr UINT HTML_TIP_RIGHT_EDGE = 0x30;   // left of the point
inline constexpr UINT HTML_TIP_ANCHOR_START = 0x00;
inline constexpr UINT HTML_TIP_ANCHOR_END = 0x01;
inline constexpr UINT HTML_TIP_ANCHOR_CENTER = 0x02;

struct HtmlToolInfo {
    UINT id = 0;
    // In the tool window's client coordinates; empty means the whole window.
    RECT rect{};
    // Markup.
    CString text;
    UINT mask = 0;
    // Carried only.
    UINT style = 0;
    UINT direction = 0;
    // A background effect number (EFFECT_*).
    UINT effect = 0;
    UINT behaviour = 0;
    BYTE granularity = 0;
    // 0 opaque to 100 invisible.
    BYTE transparency = 0;
    COLORREF colorBegin = 0;
    COLORREF colorMid = 0;
    COLORREF colorEnd = 0;
};

// WM_NOTIFY code sent before a tip is shown; the receiver may change the
// record, and an empty text afterwards shows nothing.
inline constexpr UINT HTML_TOOLTIP_SHOWING = 1124;

struct HtmlToolTipNotify {
    NMHDR hdr;
    HWND toolWindow;
    POINT* position = nullptr;
    HtmlToolInfo* toolInfo = nullptr;
};

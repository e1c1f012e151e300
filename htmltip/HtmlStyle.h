// The style in which the markup draws: font, colours, alignment, borders,
// table spacing and the open hyperlink. Colours are GDI colour values
// (0x00BBGGRR).
#pragma once

#include "platform/core/CString.h"

namespace htmltip {

// Background modes as the device context knows them.
inline constexpr int kBackgroundTransparent = 1;
inline constexpr int kBackgroundOpaque = 2;

inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignCenter = 1;
inline constexpr int kAlignRight = 2;
inline constexpr int kAlignJustify = 3;

inline constexpr int kVAlignTop = 0;
inline constexpr int kVAlignMiddle = 1;
inline constexpr int kVAlignBottom = 2;
inline constexpr int kVAlignBaseline = 3;

inline constexpr int kBorderNone = 0;
inline constexpr int kBorderSolid = 1;
inline constexpr int kBorderDashed = 2;
inline constexpr int kBorderDotted = 3;
inline constexpr int kBorderDouble = 6;

inline constexpr int kTransformNone = 0;
inline constexpr int kTransformUpper = 1;
inline constexpr int kTransformLower = 2;
inline constexpr int kTransformCapitalize = 3;

inline constexpr int kLinkNone = 0;
inline constexpr int kLinkHref = 1;
inline constexpr int kLinkMessage = 2;

inline constexpr int kEffectNone = -1;

}  // namespace htmltip

struct HtmlStyle {
    // Style name of the tag that last set it; the key closing tags look for.
    CString name;
    // Font cell height in logical units.
    int size = 16;
    int weight = 400;
    int italic = 0;
    int underline = 0;
    int strikeOut = 0;
    int overline = 0;
    CString face = u"Verdana";
    COLORREF textColor = 0;
    COLORREF backgroundColor = 0xFFFFFF;
    // Upper and left border lines.
    COLORREF borderColorLight = 0;
    // Lower and right border lines.
    COLORREF borderColorDark = 0;
    COLORREF backgroundMidColor = 0xFFFFFF;
    COLORREF backgroundEndColor = 0xFFFFFF;
    int backgroundMode = htmltip::kBackgroundTransparent;
    int backgroundEffect = htmltip::kEffectNone;
    // Text of a "background" attribute: "idres:N", "iddll:N" or "file:name".
    CString backgroundImage;
    int horizontalAlign = htmltip::kAlignLeft;
    int verticalAlign = htmltip::kVAlignBaseline;
    int borderStyle = htmltip::kBorderNone;
    int borderWidth = 0;
    // "width" and "height" of a table or cell.
    int width = 0;
    int height = 0;
    int textTransform = htmltip::kTransformNone;
    int cellPadding = 2;
    int cellSpacing = 0;
    int linkKind = htmltip::kLinkNone;
    CString linkText;
};

// Placement of the library's resizable windows in its ini files: one section
// per window with "LEFT", "TOP", "RIGHT", "BOTTOM" (the normal rectangle in
// screen co-ordinates) and "ZOOMED" ("1" when the window was maximised).
//
// The record forms take any placement record with the fields of the
// system's window placement (flags, showCmd, ptMinPosition, ptMaxPosition,
// rcNormalPosition), so they serve the user-interface layer's record.
#pragma once

#include "platform/core/CString.h"

// Show state of a maximised window in a placement record.
inline constexpr UINT kShowMaximized = 3;

void WritePlacementRect(const RECT& rect, LPCWSTR section, LPCWSTR file);
// Missing keys keep the rectangle's current values.
void ReadPlacementRect(RECT& rect, LPCWSTR section, LPCWSTR file);
void WritePlacementZoomed(BOOL bZoomed, LPCWSTR section, LPCWSTR file);
// TRUE when "ZOOMED" reads as a non-zero integer (missing: 0).
BOOL ReadPlacementZoomed(LPCWSTR section, LPCWSTR file);

template <class Placement>
void WritePlacementRecord(const Placement& placement, LPCWSTR section, LPCWSTR file)
{
    WritePlacementRect(placement.rcNormalPosition, section, file);
    WritePlacementZoomed(placement.showCmd == kShowMaximized, section, file);
}

// Flags 0, show state 0 or maximised, minimised and maximised positions
// (1, 1); the rectangle is read over the record's current one, which is the
// default for missing keys.
template <class Placement>
void ReadPlacementRecord(Placement& placement, LPCWSTR section, LPCWSTR file)
{
    placement.flags = 0;
    placement.showCmd = ReadPlacementZoomed(section, file) ? kShowMaximized : 0;
    placement.ptMinPosition.x = placement.ptMinPosition.y = 1;
    placement.ptMaxPosition.x = placement.ptMaxPosition.y = 1;
    ReadPlacementRect(placement.rcNormalPosition, section, file);
}

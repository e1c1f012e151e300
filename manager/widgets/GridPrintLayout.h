// The print set-up that the point-table and parameter panes give their grid
// before printing or previewing it: four heading lines, the page footer, the
// scale and the margins, then the heading texts for the controller shown.
#pragma once

#include "manager/core/ControllerData.h"
#include "platform/ui/GridCtrl.h"

// String ids of the heading texts: the title placeholder, the tree's
// captions of the point table, the parameters and their groups, and the
// labels of the identity texts.
inline constexpr UINT kIdsPrintTitle = 21111;
inline constexpr UINT kIdsPrintPointTable = 202;
inline constexpr UINT kIdsPrintParameters = 205;
inline constexpr UINT kIdsPrintGroupM = 206;
inline constexpr UINT kIdsPrintGroupI = 207;
inline constexpr UINT kIdsPrintGroupO = 208;
inline constexpr UINT kIdsPrintGroupC = 209;
inline constexpr UINT kIdsPrintGroupH = 210;
inline constexpr UINT kIdsPrintLabelController = 336;
inline constexpr UINT kIdsPrintLabelRobot = 340;
inline constexpr UINT kIdsPrintLabelUser = 344;

// Heading lines 30, 20, 20 and 24 points high (the first 16-point bold, the
// others 11 points), each holding the title string until the headings are
// filled; footer "- &P/&N -"; 85 percent; header rows and columns on every
// page; the table centred between the margins.
void SetupGridPrintLayout(CGridCtrl& grid);

// Heading 1: "<frame title> - <kind>", the kind named as the controller
// tree names it: the point table, or for a parameter list the caption of its
// group letter ("M", "I", "O", "C", "H"; the parameters' own caption for any
// other); headings 2 to 4: "  <label> : <text>" with the controller, robot
// and user-name texts of the data; any further heading is emptied. The print
// job takes heading 1 as its name.
void SetGridPrintHeadings(CGridCtrl& grid, const CString& frameTitle, BOOL bParameterTable, char16_t groupLetter,
                          const ControllerData& data);

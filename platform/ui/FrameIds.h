// The class library's standard command, string, window and indicator ids,
// and the frame and bar styles, with the numbers the program's resources and
// code use.
#pragma once

#include "platform/core/Messages.h"

// Standard commands.
inline constexpr UINT ID_FILE_NEW = 0xE100;
inline constexpr UINT ID_FILE_OPEN = 0xE101;
inline constexpr UINT ID_FILE_CLOSE = 0xE102;
inline constexpr UINT ID_FILE_SAVE = 0xE103;
inline constexpr UINT ID_FILE_SAVE_AS = 0xE104;
inline constexpr UINT ID_FILE_PAGE_SETUP = 0xE105;
inline constexpr UINT ID_FILE_PRINT_SETUP = 0xE106;
inline constexpr UINT ID_FILE_PRINT = 0xE107;
inline constexpr UINT ID_FILE_PRINT_DIRECT = 0xE108;
inline constexpr UINT ID_FILE_PRINT_PREVIEW = 0xE109;
inline constexpr UINT ID_FILE_MRU_FIRST = 0xE110;
inline constexpr UINT ID_FILE_MRU_FILE1 = 0xE110;
inline constexpr UINT ID_FILE_MRU_LAST = 0xE11F;
inline constexpr UINT ID_EDIT_CLEAR = 0xE120;
inline constexpr UINT ID_EDIT_CLEAR_ALL = 0xE121;
inline constexpr UINT ID_EDIT_COPY = 0xE122;
inline constexpr UINT ID_EDIT_CUT = 0xE123;
inline constexpr UINT ID_EDIT_FIND = 0xE124;
inline constexpr UINT ID_EDIT_PASTE = 0xE125;
inline constexpr UINT ID_EDIT_SELECT_ALL = 0xE12A;
inline constexpr UINT ID_EDIT_UNDO = 0xE12B;
inline constexpr UINT ID_WINDOW_NEW = 0xE130;
inline constexpr UINT ID_WINDOW_ARRANGE = 0xE131;
inline constexpr UINT ID_WINDOW_CASCADE = 0xE132;
inline constexpr UINT ID_WINDOW_TILE_HORZ = 0xE133;
inline constexpr UINT ID_WINDOW_TILE_VERT = 0xE134;
inline constexpr UINT ID_WINDOW_SPLIT = 0xE135;
inline constexpr UINT ID_APP_ABOUT = 0xE140;
inline constexpr UINT ID_APP_EXIT = 0xE141;
inline constexpr UINT ID_HELP_INDEX = 0xE142;
inline constexpr UINT ID_HELP_FINDER = 0xE143;
inline constexpr UINT ID_HELP_USING = 0xE144;
inline constexpr UINT ID_CONTEXT_HELP = 0xE145;
// Also in PropertySheet.h: whichever comes first defines it.
#ifndef QV_ID_HELP_DEFINED
#define QV_ID_HELP_DEFINED
inline constexpr UINT ID_HELP = 0xE146;
#endif
inline constexpr UINT ID_DEFAULT_HELP = 0xE147;
inline constexpr UINT ID_NEXT_PANE = 0xE150;
inline constexpr UINT ID_PREV_PANE = 0xE151;
inline constexpr UINT ID_VIEW_TOOLBAR = 0xE800;
inline constexpr UINT ID_VIEW_STATUS_BAR = 0xE801;

// Status-bar indicators.
inline constexpr UINT ID_SEPARATOR = 0;
inline constexpr UINT ID_INDICATOR_EXT = 0xE700;
inline constexpr UINT ID_INDICATOR_CAPS = 0xE701;
inline constexpr UINT ID_INDICATOR_NUM = 0xE702;
inline constexpr UINT ID_INDICATOR_SCRL = 0xE703;
inline constexpr UINT ID_INDICATOR_OVR = 0xE704;
inline constexpr UINT ID_INDICATOR_REC = 0xE705;

// Strings the frames look for in the resource module (built-in English
// texts stand in when a module lacks them).
inline constexpr UINT AFX_IDS_APP_TITLE = 0xE000;
inline constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;
inline constexpr UINT AFX_IDS_UNTITLED = 0xE002;
inline constexpr UINT AFX_IDP_ASK_TO_SAVE = 0xF002;
inline constexpr UINT AFX_IDP_FAILED_TO_OPEN_DOC = 0xF104;
inline constexpr UINT AFX_IDP_FAILED_TO_SAVE_DOC = 0xF105;

// Window ids of frame parts.
inline constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
inline constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;
inline constexpr UINT AFX_IDW_PREVIEW_BAR = 0xE802;
inline constexpr UINT AFX_IDW_DOCKBAR_TOP = 0xE81B;
inline constexpr UINT AFX_IDW_DOCKBAR_LEFT = 0xE81C;
inline constexpr UINT AFX_IDW_DOCKBAR_RIGHT = 0xE81D;
inline constexpr UINT AFX_IDW_DOCKBAR_BOTTOM = 0xE81E;
inline constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;
inline constexpr UINT AFX_IDW_PANE_LAST = 0xE9FF;
inline constexpr UINT AFX_IDW_HSCROLL_FIRST = 0xEA00;
inline constexpr UINT AFX_IDW_VSCROLL_FIRST = 0xEA10;
inline constexpr UINT AFX_IDW_SIZE_BOX = 0xEA20;
inline constexpr UINT AFX_IDW_PANE_SAVE = 0xEA21;
inline constexpr UINT AFX_IDM_FIRST_MDICHILD = 0xFF00;

// Frame styles.
inline constexpr DWORD FWS_ADDTOTITLE = 0x00008000;
inline constexpr DWORD FWS_PREFIXTITLE = 0x00004000;
inline constexpr DWORD FWS_SNAPTOBARS = 0x00002000;

// Control-bar styles.
inline constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
inline constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
inline constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
inline constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
inline constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
inline constexpr DWORD CBRS_BORDER_LEFT = 0x0100;
inline constexpr DWORD CBRS_BORDER_TOP = 0x0200;
inline constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
inline constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
inline constexpr DWORD CBRS_BORDER_ANY = 0x0F00;
inline constexpr DWORD CBRS_TOOLTIPS = 0x0010;
inline constexpr DWORD CBRS_FLYBY = 0x0020;
inline constexpr DWORD CBRS_FLOAT_MULTI = 0x0040;
inline constexpr DWORD CBRS_BORDER_3D = 0x0080;
inline constexpr DWORD CBRS_HIDE_INPLACE = 0x0008;
inline constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;
inline constexpr DWORD CBRS_SIZE_FIXED = 0x0002;
inline constexpr DWORD CBRS_FLOATING = 0x0001;
inline constexpr DWORD CBRS_GRIPPER = 0x00400000;
inline constexpr DWORD CBRS_ORIENT_HORZ = CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM;
inline constexpr DWORD CBRS_ORIENT_VERT = CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT;
inline constexpr DWORD CBRS_ALL = 0x0040FFFF;
inline constexpr DWORD CBRS_NOALIGN = 0x00000000;
inline constexpr DWORD CBRS_LEFT = CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT;
inline constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
inline constexpr DWORD CBRS_RIGHT = CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT;
inline constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;

// Scroll-view mapping modes besides the DC's.
inline constexpr int MM_NONE = 0;

// Splitter pane ids.
inline UINT AfxSplitterPaneId(int row, int col) { return AFX_IDW_PANE_FIRST + static_cast<UINT>(row * 16 + col); }

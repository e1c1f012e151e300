// Ids of the tools library's trace window resources: the window, its
// execution window and tool windows, its menu, accelerators and commands.
#pragma once

// ---- Dialog templates
#define IDD_KX_WATCHER              9001
#define IDD_SIMPLE_TERM             9014
#define IDD_KXW_ABOUT               9020
#define IDD_EXEC_TRACE              9021
#define IDD_SIMPLE_OPE              9026

// ---- Menu, accelerators, tool bar
#define IDR_KXW_TOOLBAR             10154
#define IDR_KXW_MENU                10155
#define IDR_KXW_ACCEL               10156

// ---- Icons, marker bitmaps and mouse cursors
#define IDI_KXW_ABOUT               10024
#define IDI_SOPE_START              10026
#define IDI_SOPE_STOP               10027
#define IDB_KXW_MARK_A              10157
#define IDB_KXW_MARK_B              10158
#define IDB_KXW_MARK_TRIGGER        10159
#define IDB_KXW_MARK_ZERO           10160
#define IDB_KXW_MARK_ZERO_UP        10161
#define IDB_KXW_MARK_ZERO_DOWN      10166
#define IDCUR_KXW_SET_A             10161
#define IDCUR_KXW_SET_B             10162
#define IDCUR_KXW_OVER              10163
#define IDCUR_KXW_DRAG_A            10164
#define IDCUR_KXW_DRAG_B            10165

// ---- Controls
#define IDC_STERM_HISTORY           21127
#define IDC_STERM_SEND              21128
#define IDC_STERM_LAST              21129
#define IDC_STERM_OUTPUT            21130
#define IDC_KXW_AB_CHANNEL          21200
#define IDC_KXW_GRAPH_NO            21202
#define IDC_KXW_POSITION            21203
#define IDC_KXW_SCROLL              21451
#define IDC_ABOUT_COPYRIGHT         21643
#define IDC_ABOUT_VERSION           21644
#define IDC_ABOUT_PRODUCT           21645
#define IDC_ABOUT_ICON              21700
#define IDC_EXEC_MANUAL_TRIGGER     21800
#define IDC_EXEC_ABORT              21801
#define IDC_EXEC_STATUS             21802
#define IDC_EXEC_STOP               21803
#define IDC_SOPE_START              21900
#define IDC_SOPE_STOP               21901
#define IDC_SOPE_SPEED              21902
#define IDC_SOPE_SPEED_SPIN         21903
#define IDC_SOPE_PROGRAM            21904
#define IDC_SOPE_PROGRAM_SPIN       21905
#define IDC_SOPE_WRITE_SPEED        21906
#define IDC_SOPE_SPEED_LABEL        21907
#define IDC_SOPE_PROGRAM_LABEL      21908

// ---- Commands
#define ID_KXW_HELP_TOC             32780
#define ID_KXW_ABOUT                32782
#define ID_KXW_FILE_EXIT            32786
#define ID_KXW_MONITOR_MODE         32798
#define ID_KXW_TRIGGER_MODE         32799
#define ID_KXW_ERASE_RIPPLE         32800
#define ID_KXW_ZOOM_IN              32801
#define ID_KXW_ZOOM_OUT             32802
#define ID_KXW_A_CURSOR_SET         32803
#define ID_KXW_B_CURSOR_SET         32804
#define ID_KXW_A_CURSOR_SHOW        32805
#define ID_KXW_B_CURSOR_SHOW        32806
#define ID_KXW_RIPPLE_RANGE         32807
#define ID_KXW_LEGEND_TYPE          32808
#define ID_KXW_GAUGE_TYPE           32809
#define ID_KXW_AB_DETAILS           32810
#define ID_KXW_GRAPH_POS_SEL        32811
#define ID_KXW_TRACE_SETTING        32812
#define ID_KXW_START_TRACE          32813
#define ID_KXW_TOOL_OPTION          32819
#define ID_KXW_TOOL_ABCURSOR        32820
#define ID_KXW_TOOL_CALC            32824
#define ID_KXW_EDIT_SCREENCOPY      32825
#define ID_KXW_TOOL_STERM           32826
#define ID_KXW_FILE_OPEN            32827
#define ID_KXW_FILE_SAVE            32828
#define ID_KXW_FILE_SAVEAS          32829
#define ID_KXW_FILE_CLOSE           32830
#define ID_KXW_WINDOW_CASCADE       32831
#define ID_KXW_WINDOW_TILE_HORZ     32832
#define ID_KXW_WINDOW_TILE_VERT     32833
#define ID_KXW_TOOL_SOPE            32834
// The menu bar's buttons: each opens one menu of IDR_KXW_MENU.
#define ID_KXW_MENU_FIRST           32860
#define ID_KXW_MENU_FILE            32860
#define ID_KXW_MENU_VIEW            32861
#define ID_KXW_MENU_CURSOR          32862
#define ID_KXW_MENU_TRACE           32863
#define ID_KXW_MENU_TOOLS           32864
#define ID_KXW_MENU_WINDOW          32865
#define ID_KXW_MENU_HELP            32866
#define ID_KXW_MENU_LAST            32866

// ---- Strings
#define IDS_KXW_MENU_FILE           32860
#define IDS_KXW_MENU_VIEW           32861
#define IDS_KXW_MENU_CURSOR         32862
#define IDS_KXW_MENU_TRACE          32863
#define IDS_KXW_MENU_TOOLS          32864
#define IDS_KXW_MENU_WINDOW         32865
#define IDS_KXW_MENU_HELP           32866
#define IDS_KXW_STERM_TEXT          32826
#define IDS_KXW_HELP_NOT_FOUND      48030
#define IDS_KXW_COPY_DONE           48031
#define IDS_KXW_COPY_FAILED         48032
#define IDS_KXW_NO_SETUP            48034

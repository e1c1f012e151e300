// Ids of the manager's frame resources: the main window, the controller
// windows, their tree and status panel, and the online connection dialog.
#pragma once

// Menus, accelerators and the document template
#define IDR_MAINFRAME               128
#define IDR_CONTROLLER              129
#define IDR_TREE_CONTEXT            133
#define IDR_OPEN_DROPDOWN           186

// Templates
#define IDD_LEFTPANE_FORM           102
#define IDD_CONTROLLER_STATUS       174
#define IDD_ONLINE_CONNECT          181

// Controls of the status panel
#define IDC_STATUS_POSITION         1188
#define IDC_STATUS_LAMP_SERVO       1230
#define IDC_STATUS_LAMP_ALARM       1231
#define IDC_STATUS_LAMP_TEACH       1232
#define IDC_STATUS_LAMP_INPUT       1233
#define IDC_STATUS_STATE            1300
#define IDC_STATUS_SPARE            1301
#define IDC_STATUS_ALARM            1302
#define IDC_STATUS_LINK             1304
#define IDC_STATUS_LABEL_INPUT      1400
#define IDC_STATUS_LABEL_SPARE      1401
#define IDC_STATUS_LABEL_SERVO      1402
#define IDC_STATUS_LABEL_ALARM      1403
#define IDC_STATUS_LABEL_TEACH      1404

// Controls of the online connection dialog
#define IDC_ONLINE_PORT             1006
#define IDC_ONLINE_NAME             1011
#define IDC_ONLINE_HIDDEN           1156
#define IDC_ONLINE_SETTINGS         1328

// Commands of the frames and the tree
#define IDM_CONNECT                 32770
#define IDM_DISCONNECT              32771
#define IDM_NEW_ONLINE              32772
#define IDM_NEW_OFFLINE             32774
#define IDM_OPEN_DATA               32775
#define IDM_RESTORE_DATA            32776
#define IDM_SHOW_PANE               32777
#define IDM_INIT_REC                32778
#define IDM_DESKTOP_TERMINAL        32782
#define IDM_ACCESS_CODE             32783
#define IDM_SAVE_AS                 32784
#define IDM_SAVE_DATA               32785
#define IDM_CHANGE_NODE             32787
#define IDM_SIMULATOR               32791
#define IDM_INIT_PNT                32797
#define IDM_INIT_TRIP               32798
#define IDM_INIT_TIME               32799
#define IDM_IO_MONITOR              32800
#define IDM_STATUS_MONITOR          32801
#define IDM_ALARM_LIST              32802
#define IDM_ALARM_FILE              32805
#define IDM_ALARM_TRANSPORT         32806
#define IDM_TRANSPORT_FROM          32817
#define IDM_TRANSPORT_TO            32818
#define IDM_TRANSPORT_DATA          32821
#define IDM_MODE_CHANGE             32828
#define IDM_WRITE_CONTROLLER        32829
#define IDM_WATCHER                 32831
#define IDM_NOTHING                 32832
#define IDM_ICON_16                 32833
#define IDM_ICON_24                 32834
#define IDM_ICON_32                 32835
#define IDM_TEXT_LABELS             32836
#define IDM_RESET_TOOLBAR           32839
#define IDM_COMMENT_LIST            32840
#define IDM_INIT_COMW               32841
#define IDM_CLOSE_ALL               32843
#define IDM_MINIMIZE_ALL            32844
#define IDM_RESTORE_ALL             32845
#define IDM_GLOBAL_TRANSPORT        32850
#define IDM_READ_CONTROLLER         32852
#define IDM_READ_DATA               32853
#define IDM_CONTROLLER_INIT         32859
#define IDM_HELP_CONTENTS           32861
#define IDM_OPTIONS                 32863
#define IDM_MINIMIZE_MONITORS       32864
#define IDM_RESTORE_MONITORS        32865
#define IDM_GENERATION_TRANSPORT    32866
#define IDM_CLOSE_WINDOW            61190

// Tool bars of the controller windows
#define IDW_OFFLINE_TOOLBAR         20481
#define IDW_ONLINE_TOOLBAR          20487

// Icons of the tool bars and the tree
#define IDI_TB_NEW_ONLINE           21003
#define IDI_TB_NEW_OFFLINE          21004
#define IDI_TB_OPEN                 21005
#define IDI_TB_SAVE                 21007
#define IDI_TREE_FOLDER             21009
#define IDI_TREE_FOLDER_OPEN        21010
#define IDI_TREE_ITEM               21013
#define IDI_TB_IO_MONITOR           21027
#define IDI_TB_STATUS_MONITOR       21028
#define IDI_OFFLINE_WINDOW          21031
#define IDI_TB_TERMINAL             21033
#define IDI_TB_CHANGE_NODE          21045
#define IDI_TB_ALARM                21046
#define IDI_TB_READ                 21047
#define IDI_TB_RESTORE              21048
#define IDI_TB_WRITE                21106
#define IDI_TB_CUT                  21107
#define IDI_TB_COPY                 21108
#define IDI_TB_PASTE                21109
#define IDI_TB_CONNECT              21112
#define IDI_TB_PRINT                21116
#define IDI_TB_PREVIEW              21117

// Strings (texts the transport dialogs share, such as the data-file filter,
// the write note and the window-name rules, are in transport_ids.h)
#define IDS_OLE_FAILED              100
#define IDS_TREE_CONTROLLER         201
#define IDS_TREE_POINTS_LB          211
#define IDS_TITLE_SERIAL            356
#define IDS_TITLE_TCP               357
#define IDS_TREE_ONLINE_ROOT        358
#define IDS_TREE_NO_CONTROLLER      392
#define IDS_ASK_RESTORE             10015
#define IDS_ASK_WRITE               10036
#define IDS_WAIT_WRITING            21122
#define IDS_ALARM_FILE_FILTER       23090
#define IDS_WRITE_DONE              10038
#define IDS_ASK_SAVE_OFFLINE        10039
#define IDS_RUNNING_NO_WRITE        10064
#define IDS_ASK_SEND_POINTS         10079
#define IDS_ASK_CONNECT             10085
#define IDS_ASK_DISCONNECT          10086
#define IDS_WAIT_SIMULATOR          10088
#define IDS_WAIT_SIMULATOR_BACK     10089
#define IDS_LINK_CONNECTED          10092
#define IDS_LINK_DISCONNECTED       10093
#define IDS_LINK_NONE               10094
#define IDS_ASK_CONNECT_FIRST       10129
#define IDS_ASK_WRITE_ONLINE        10130
#define IDS_ASK_WRITE_POINTS_BEFORE_NODE 10131
#define IDS_RESCAN_NONE             10133
#define IDS_DATA_READ               10136
#define IDS_MODE_NO_WRITE           10141
#define IDS_ASK_READ                10061
#define IDS_ASK_WRITE_BEFORE_NODE   10146
#define IDS_OTHER_CONTROLLER        10147
#define IDS_OTHER_ROBOT             10148
#define IDS_LINK_OFFLINE            10153
#define IDS_LINK_FAILED             10155
#define IDS_LINK_OTHER_LINE         10156
#define IDS_WATCHER_FIELD_BUS       10159
#define IDS_DATA_SAVE_FAILED        21125
#define IDS_WAIT_CONNECTING         41001
#define IDS_NODE_NO_ANSWER          23093
#define IDS_ALARM_FILE_UNREADABLE   23094
#define IDS_TB_NEW_OFFLINE          20001
#define IDS_TB_OPEN                 20002
#define IDS_TB_NEW_ONLINE           20003
#define IDS_TB_IO_MONITOR           20007
#define IDS_TB_STATUS_MONITOR       20008
#define IDS_TB_ALARM                20009
#define IDS_TB_TERMINAL             20010
#define IDS_TB_RESTORE              20013
#define IDS_TB_SAVE                 20014
#define IDS_TB_CHANGE_NODE          20017
#define IDS_TB_READ                 20018
#define IDS_TB_WRITE                20019
#define IDS_TB_CUT                  20020
#define IDS_TB_COPY                 20021
#define IDS_TB_PASTE                20022
#define IDS_TB_CONNECT              20025
#define IDS_TB_PRINT                20026
#define IDS_TB_PREVIEW              20027
#define IDS_CONTROLLER_INIT_ITEM    151
#define IDS_RIGHT_PANE_EMPTY        21120
#define IDS_COMMAND_LATER           21121
#define IDS_ASK_INIT_REC            10002
#define IDS_ASK_INIT_TRIP           10030
#define IDS_ASK_INIT_TIME           10031
#define IDS_ASK_INIT_PNT            10032
#define IDS_INIT_DONE               10035
#define IDS_ASK_INIT_COMW           10051
#define IDS_AXIS_MOVING             10078
#define IDS_IDLE_MESSAGE            57345
#define IDS_INDICATOR_CAPS          59137
#define IDS_INDICATOR_NUM           59138
#define IDS_INDICATOR_SCRL          59139

// Ids of the manager's resource module, shared by its scripts and the code.
#pragma once

// Strings
#define IDS_LANGUAGE                110
#define IDS_ALARM_UNKNOWN           40007
#define IDS_PARAM_NOT_EDITABLE      57331
#define IDS_PARAM_NOTE_DATABASE     57332
#define IDS_PARAM_RANGE             57333
#define IDS_PARAM_NOTE_DERIVED      57334
#define IDS_PARAM_NOTE_CHECK_MOTION 57335
#define IDS_PARAM_NOTE_RESTART      57336
#define IDS_PARAM_NOTE_LINK         57337

// Start-up, windows, simulator hand-over, status and alarm texts
#define IDS_APP_NAME                128
#define IDS_STATE_MOVE_1            251
#define IDS_STATE_MOVE_2            252
#define IDS_STATE_MOVE_3            253
#define IDS_STATE_MOVE_4            254
#define IDS_STATE_MOVE_5            255
#define IDS_STATE_MOVE_6            256
#define IDS_STATE_MOVE_7            257
#define IDS_STATE_MOVE_8            258
#define IDS_STATE_MOVE_JOG          259
#define IDS_STATE_MOVE_INCH         260
#define IDS_STATE_HOMING            283
#define IDS_STATE_ALARM             284
#define IDS_STATE_STOPPED           285
#define IDS_STATE_MOVING            286
#define IDS_NEW_ONLINE_NAME         301
#define IDS_NEW_DATA_NAME           302
#define IDS_TREE_OPEN_SERIAL        409
#define IDS_TREE_FREE_PORTS         410
#define IDS_TREE_OPEN_TCP           411
#define IDS_MODE_0                  486
#define IDS_MODE_1                  487
#define IDS_MODE_2                  488
#define IDS_MODE_6                  490
#define IDS_MODE_5                  491
#define IDS_MODE_4                  492
#define IDS_TRANSPORT_NO_PATH       10017
#define IDS_TRANSPORT_NO_CONNECTION 10022
#define IDS_TRANSPORT_OTHER_CONTROLLER 10040
#define IDS_TRANSPORT_OTHER_ROBOT   10041
#define IDS_TRANSPORT_SETTINGS_FREE_PORT 10134
#define IDS_TRANSPORT_MODE          10135
#define IDS_TRANSPORT_COMPATIBLE    10157
#define IDS_SIM_WINDOW_BUSY         10042
#define IDS_SIM_ALREADY_RUNNING     10043
#define IDS_SIM_START_FAILED        10044
#define IDS_SIM_EXCHANGE_FAILED     10045
#define IDS_TOO_MANY_WINDOWS        10137
#define IDS_ALARM_TIME_FORMAT       10139
#define IDS_STARTUP_CHECK_CAPTION   41017
#define IDS_REQUIRED_FILE_MISSING   41018
#define IDS_SIMULATOR_MISSING       41019
#define IDS_DATABASE_FILE_MISSING   41020
#define IDS_HELP_FILE_MISSING       41021
#define IDS_HELP_OPEN_FAILED        41022
#define IDS_ALREADY_RUNNING         57002
#define IDS_REGISTRY_KEY            57004
#define IDS_DATA_FILE_EXTENSION     57201
#define IDS_ALARM_FILE_EXTENSION    57202
#define IDS_REQUIRED_DATABASE_FILE  57205

// Captions of the controller tree's items, which also head the printed
// tables: the point table, the parameters and their five groups
#define IDS_TREE_POINTS             202
#define IDS_TREE_PARAMETERS         205
#define IDS_TREE_GROUP_M            206
#define IDS_TREE_GROUP_I            207
#define IDS_TREE_GROUP_O            208
#define IDS_TREE_GROUP_C            209
#define IDS_TREE_GROUP_H            210
// Label of the actuator's identity text (printed headings); the controller's
// (336) and the user text's (344) are the transport lists' column titles
#define IDS_LABEL_ACTUATOR          340
// The application's font face
#define IDS_APP_FONT_FACE           21111

// Strings of the controller data manager
#define IDS_DM_RENUMBER_TITLE       925
#define IDS_DM_CLOSING_LINK         10026
#define IDS_DM_MISSING_CONTROLLER   10066
#define IDS_DM_MISSING_ROBOT        10067
#define IDS_DM_MISSING_INTERFACE    10068
#define IDS_DM_FILE_INCOMPLETE      10069
#define IDS_DM_SCAN_RESULT          10083
#define IDS_DM_LINK_TIMEOUT         10087
#define IDS_DM_STOPPING             10132
#define IDS_DM_CLOSING              10145
#define IDS_DM_ERROR_TIMEOUT        10151
#define IDS_DM_ERROR_LINK           10152
#define IDS_DM_RENUMBER_ASK         10158
#define IDS_DM_STOP_NOT_CONFIRMED   10170
#define IDS_DM_REFUSED              10172
#define IDS_DM_SCANNING             10173
#define IDS_DM_LOAD_FAILED          40005
#define IDS_DM_OPEN_FAILED          41002
#define IDS_DM_SCAN_NO_ANSWER       41004
#define IDS_DM_SCAN_NONE_FOUND      41005
#define IDS_DM_SCAN_UNKNOWN         41008

// Custom data: alarm texts ("ALM") and the parameter definition tables ("TEXT")
#define IDR_ALARM_TEXTS             189
#define IDR_PARAMDEF_TABLE0         191
#define IDR_PARAMDEF_TABLE1         195

// Images: the two icons of the transfer wait window (the data on the left, the
// controller on the right) and the start-up picture
#define IDI_TRANSFER_DATA           21008
#define IDI_TRANSFER_CONTROLLER     21030
#define IDB_SPLASH                  21110

// Each area of the program keeps its ids in a header of its own.
#include "frame_ids.h"
#include "panes_ids.h"
#include "ctrldlgs_ids.h"
#include "transport_ids.h"

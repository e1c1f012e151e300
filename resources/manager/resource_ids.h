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

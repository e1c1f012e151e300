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

// Custom data: alarm texts ("ALM") and the parameter definition tables ("TEXT")
#define IDR_ALARM_TEXTS             189
#define IDR_PARAMDEF_TABLE0         191
#define IDR_PARAMDEF_TABLE1         195

// Ids of the manager's transport resources: the dialogs that move a
// controller's data between controllers, files and windows, the serial node
// choice, the launcher and the option sheet.
#pragma once

// Shared with the controller dialogs: the tip styles (499), the alarm file
// filter (523), "saved" (10020) and "no answer" (41006) come from there.
#include "ctrldlgs_ids.h"

// Templates
#define IDD_SERIAL_CONNECT          156
#define IDD_TRANSPORT               167
#define IDD_LAUNCHER                190
#define IDD_OPTION_MESSAGE          192
#define IDD_OPTION_LAUNCHER         193

// Controls of the transport dialogs
#define IDC_TRANSPORT_LABEL         1002
#define IDC_TRANSPORT_PATH          1003
#define IDC_TRANSPORT_BROWSE        1141
#define IDC_TRANSPORT_TREE          1151
#define IDC_TRANSPORT_TREE_LABEL    1152
#define IDC_TRANSPORT_SETTINGS      1329

// Controls of the serial node choice
#define IDC_SERIAL_RESCAN           1141
#define IDC_SERIAL_NODE_LIST        1303

// Controls of the launcher and the option pages
#define IDC_LAUNCH_READ             1365
#define IDC_LAUNCH_WRITE            1366
#define IDC_LAUNCH_ALARM            1367
#define IDC_LAUNCH_GENERATION       1368
#define IDC_LAUNCH_DONT_SHOW        1370
#define IDC_LAUNCH_OK               1371
#define IDC_LAUNCH_CLOSE            1372
#define IDC_OPTION_ASK_TRACE        1330
#define IDC_OPTION_ASK_ORIGIN       1331
#define IDC_OPTION_SHOW_LAUNCHER    1373
#define IDC_OPTION_OPEN_LAUNCHER    1374

// Strings
#define IDS_SERIAL_COL_NODE         355
#define IDS_SERIAL_COL_CONTROLLER   336
#define IDS_SERIAL_COL_USER         344
#define IDS_TRANSPORT_FILE_LABEL    395
#define IDS_TRANSPORT_TREE_LABEL    408
#define IDS_TRANSPORT_ASK_NODE      413
#define IDS_TRANSPORT_ASK_READ_FILE 414
#define IDS_TRANSPORT_WRITE_LABEL   416
#define IDS_TRANSPORT_ASK_WRITE_FILE 485
#define IDS_TRANSPORT_LINE_LABEL    516
#define IDS_TRANSPORT_SETTINGS      517
#define IDS_DATA_FILE_FILTER        520
#define IDS_LAUNCHER_TITLE          900
#define IDS_OPTIONS_CAPTION         903
#define IDS_TRANSPORT_WRITE_CAPTION 906
#define IDS_TRANSPORT_READ_CAPTION  907
#define IDS_SERIAL_CAPTION          911
#define IDS_TRANSPORT_ALARM_CAPTION 921
#define IDS_TRANSPORT_EDIT_CAPTION  922
#define IDS_TRANSPORT_PROJECT_CAPTION 923
#define IDS_SERIAL_CAPTION_CONNECT  924
#define IDS_TRANSPORT_GENERATION_CAPTION 926
#define IDS_TRANSPORT_WRITING       10018
#define IDS_TRANSPORT_DONE          10019
#define IDS_TRANSPORT_ASK_WRITE     10023
#define IDS_TRANSPORT_ASK_READ      10024
#define IDS_TRANSPORT_READING       10025
#define IDS_TRANSPORT_FAILED        10048
#define IDS_ASK_WRITE_NOTE          10197
#define IDS_TRANSPORT_ASK_WINDOW    10065
#define IDS_TRANSPORT_ASK_ALARM     10070
#define IDS_TRANSPORT_READING_ALARM 10071
#define IDS_ASK_WRITE_FIELD_BUS     10073
#define IDS_TRANSPORT_ASK_EDIT_READ 10082
#define IDS_TRANSPORT_SENDING_GLOBAL 10198
#define IDS_TRANSPORT_ASK_GLOBAL    10122
#define IDS_WRITE_RESTART           10142
#define IDS_TRANSPORT_ASK_GENERATE  10149
#define IDS_TRANSPORT_OTHER_NODE    10150
#define IDS_TRANSPORT_FILE_UNREADABLE 10190
#define IDS_TRANSPORT_GLOBAL_SERIAL_ONLY 10191
#define IDS_PATH_TOO_LONG           10199
#define IDS_TRANSPORT_FILE_IN_WINDOW 40002
#define IDS_SAVE_FAILED             40004
#define IDS_OPERATION_FAILED        40006
#define IDS_WAIT_READING            41007
#define IDS_LAUNCH_READ_COMMAND     32817
#define IDS_LAUNCH_WRITE_COMMAND    32818
#define IDS_LAUNCH_ALARM_COMMAND    32806
#define IDS_LAUNCH_GENERATION_COMMAND 32866
#define IDS_TRANSPORT_WRITTEN_NOT_SHOWN 10192
#define IDS_TRANSPORT_PARTLY_WRITTEN 10193
#define IDS_TRANSPORT_FILE_NOT_WRITTEN 10194
#define IDS_TRANSPORT_ALARM_EMPTY   10195
#define IDS_TRANSPORT_DATA_NAME_LABEL 10196

// Icons of the launcher's buttons (the alarm button shows the main tool bar's
// alarm icon, 21046)
#define IDI_LAUNCH_GENERATION       21113
#define IDI_LAUNCH_WRITE            21114
#define IDI_LAUNCH_READ             21115
#define IDI_LAUNCH_ALARM            21046
#define IDI_LAUNCHER                0x80

// The add-new wizard and its pages
#define IDD_ADDNEW                  182
#define IDD_ADDNEW_CONTROLLER       183
#define IDD_ADDNEW_OPTION           184
#define IDD_ADDNEW_DETAIL           185
#define IDD_ADDNEW_PULSE            196
#define IDC_ADDNEW_NAME             1305
#define IDC_ADDNEW_TAB              1306
#define IDC_ADDNEW_SUMMARY          1307
#define IDC_ADDNEW_CONTROLLER       1308
#define IDC_ADDNEW_ROBOT            1309
#define IDC_ADDNEW_STROKE           1310
#define IDC_ADDNEW_MASS             1311
#define IDC_ADDNEW_RADIO_A          1312
#define IDC_ADDNEW_RADIO_B          1313
#define IDC_ADDNEW_MASS_MAX         1314
#define IDC_ADDNEW_RADIO_GROUP      1257
#define IDC_ADDNEW_SPEED            1361
#define IDC_ADDNEW_SPEED_LABEL      1362
#define IDC_ADDNEW_SPEED_UNIT       1363
#define IDC_ADDNEW_MASS_PULSE_LABEL 1403
#define IDC_ADDNEW_INTERFACE        1315
#define IDC_ADDNEW_STATION          1316
#define IDC_ADDNEW_BAUD             1317
#define IDC_ADDNEW_FIELD_RADIO_1    1325
#define IDC_ADDNEW_FIELD_RADIO_2    1326
#define IDC_ADDNEW_FIELD_RADIO_3    1327
#define IDC_ADDNEW_OPTION_NOTE      1412
#define IDC_ADDNEW_DETAIL_1318      1318
#define IDC_ADDNEW_DETAIL_1319      1319
#define IDC_ADDNEW_DETAIL_1320      1320
#define IDC_ADDNEW_DETAIL_1321      1321
#define IDC_ADDNEW_DETAIL_1322      1322
#define IDC_ADDNEW_DETAIL_1323      1323
#define IDC_ADDNEW_DETAIL_1324      1324
#define IDC_ADDNEW_LABEL_1318       1385
#define IDC_ADDNEW_LABEL_1319       1386
#define IDC_ADDNEW_LABEL_1322       1394
#define IDC_ADDNEW_LABEL_1323       1387
#define IDC_ADDNEW_LABEL_1324       1381
#define IDC_ADDNEW_OUTPUT_TYPE      1390
#define IDC_ADDNEW_INPUT_MODE       1391
#define IDC_ADDNEW_PULSE_1          1388
#define IDC_ADDNEW_PULSE_2          1389

#define IDS_ADDNEW_DETAIL_OFF       463
#define IDS_ADDNEW_DETAIL_ON        464
#define IDS_ADDNEW_TAB_CONTROLLER   10095
#define IDS_ADDNEW_TAB_OPTION       10096
#define IDS_ADDNEW_TAB_DETAIL       10097
#define IDS_ADDNEW_COL_ITEM         10098
#define IDS_ADDNEW_COL_VALUE        10099
#define IDS_ADDNEW_ITEM_0           10100
#define IDS_ADDNEW_NO_ROBOT         10016
#define IDS_ADDNEW_OPTION_NOTE      10120
#define IDS_BAD_WINDOW_NAME         10143
#define IDS_WINDOW_NAME_TAKEN       10144
#define IDS_ADDNEW_NO_DATABASE      41016
#define IDS_ADDNEW_ASK_RADIO_B      57006

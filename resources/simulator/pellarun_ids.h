// Ids of the simulator's resource module "pellarun", shared by its scripts and
// the code.
#pragma once

// Tab captions of the parameter pages
#define IDS_TAB_SERVO               190
#define IDS_TAB_CURRENT1            191
#define IDS_TAB_CURRENT2            192

// Point list headers and operation types
#define IDS_POINT_HEAD_TYPE         201
#define IDS_POINT_HEAD_POSITION     202
#define IDS_POINT_HEAD_SPEED        203
#define IDS_POINT_HEAD_ACCEL        204
#define IDS_POINT_HEAD_DECEL        205
#define IDS_POINT_HEAD_BRANCH       206
#define IDS_POINT_HEAD_FLAG         207
#define IDS_POINT_TYPE_ABS          211
#define IDS_POINT_TYPE_INC          212
#define IDS_POINT_TYPE_ABS_LINK     213
#define IDS_POINT_TYPE_INC_LINK     214
#define IDS_POINT_TYPE_ABS_PUSH     215
#define IDS_POINT_TYPE_INC_PUSH     216
#define IDS_POINT_TYPE_ABS_PUSH_DEC 217
#define IDS_POINT_TYPE_INC_PUSH_DEC 218

// Motion list, balloon and result table
#define IDS_MOTION_NAME             220
#define IDS_MOTION_HEAD_START       221
#define IDS_MOTION_HEAD_END         223
#define IDS_MOTION_HEAD_DWELL       224
#define IDS_BALLOON_TITLE           225
#define IDS_BALLOON_POSITIONS       226
#define IDS_BALLOON_ERROR           227
#define IDS_BALLOON_CSS             228
#define IDS_RESULT_HEAD_TIME        233
#define IDS_RESULT_HEAD_DISTANCE    234
#define IDS_RESULT_HEAD_CURRENT     235
#define IDS_RESULT_TOTAL            236
#define IDS_CHART_SPEED_LABEL       240

// Messages
#define IDS_ASK_APPLY_EDITS         250
#define IDS_ASK_SAVE_BEFORE_EXIT    251
#define IDS_NO_EXCHANGE_LIBRARY     252
#define IDS_NO_DATABASE             253
#define IDS_ASK_SAVE_BEFORE_OPEN    254
#define IDS_ASK_OVERWRITE           255
#define IDS_ALREADY_RUNNING         256
#define IDS_TOO_MANY_MOTIONS        257
#define IDS_WAIT_RUNNING            258
#define IDS_NO_MOTION               259
#define IDS_NO_MOTION_LIBRARY       260
#define IDS_CHECK_START_NOT_SET     261
#define IDS_CHECK_START_NOT_SET_S   262
#define IDS_CHECK_START_MISSING     263
#define IDS_CHECK_START_MISSING_S   264
#define IDS_CHECK_END_NOT_SET       265
#define IDS_CHECK_END_NOT_SET_S     266
#define IDS_CHECK_END_MISSING       267
#define IDS_CHECK_END_MISSING_S     268
#define IDS_CHECK_NO_TRAVEL         269
#define IDS_CHECK_NO_TRAVEL_S       270
#define IDS_MOTION_FILE_INVALID     271
#define IDS_WAIT_READING_FILE       272
#define IDS_ASK_SAVE_BEFORE_CLOSE   273
#define IDS_WAVE_TOO_LONG           274
#define IDS_WAIT_CURRENT            275
#define IDS_WAIT_READING_MOTIONS    276
#define IDS_NO_EXCHANGE_DATA        277
#define IDS_SPEED_LIMIT             278
#define IDS_SPEED_LIMIT_NONE        279
#define IDS_ASK_SPEED_OVER_LIMIT    280
#define IDS_ASK_CUSTOM_UNITS        281
#define IDS_NO_PAYLOAD_FILE         282
#define IDS_NO_STROKE_FILE          283
#define IDS_CHECK_START_NO_PREVIOUS   284
#define IDS_CHECK_START_NO_PREVIOUS_S 285
#define IDS_CHECK_NO_SPEED          310
#define IDS_CHECK_NO_SPEED_S        311
#define IDS_CHECK_NO_ACCEL          312
#define IDS_CHECK_NO_ACCEL_S        313
#define IDS_MOTION_FILE_NOT_SAVED   286
#define IDS_MOTION_FILE_UNREADABLE  287
#define IDS_DATA_FILE_NOT_SAVED     288
#define IDS_DATA_FILE_UNREADABLE    289
#define IDS_EXCHANGE_NOT_WRITTEN    290

#define IDS_RESULT_DETAIL_TITLE     300
#define IDS_APP_CAPTION             500
#define IDS_APP_CAPTION_TITLE       501
#define IDS_DATA_FILE_FILTER        700
#define IDS_DATA_FILE_EXTENSION     701
#define IDS_MOTION_FILE_FILTER      702

// Dialogs, the menu and icons
#define IDD_ABOUTBOX                100
#define IDD_SIMULATOR               102
#define IDR_SIMULATOR_MENU          129
#define IDI_APP_OLD                 132
#define IDI_APP                     133
#define IDD_POINT_DETAIL            134
#define IDD_SERVO_PAGE              141
#define IDD_RESULT_DETAIL           150
#define IDI_ZOOM_OUT                170
#define IDI_ZOOM_IN                 171
#define IDD_PARENT                  173
#define IDI_ZOOM_IN_OLD             175
#define IDI_ZOOM_OUT_OLD            176
#define IDD_CAUTION                 184

// Commands of the main dialog's menus
#define ID_FILE_OPEN_DATA           32774
#define ID_FILE_CLOSE_DATA          32775
#define ID_FILE_SAVE_DATA           32776
#define ID_FILE_SAVE_DATA_AS        32777
#define ID_FILE_EXIT                32778
#define ID_HELP_ABOUT               32779
#define ID_MOTION_FILE_OPEN         32780
#define ID_MOTION_FILE_SAVE         32781
#define ID_HELP_CAUTION             32782

// Controls of the main dialog
#define IDC_UNITS_STANDARD          1001
#define IDC_UNITS_CUSTOM            1002
#define IDC_ROBOT_COMBO             1003
#define IDC_CONTROLLER_COMBO        1004
#define IDC_ADD_MOTION              1005
#define IDC_DELETE_MOTION           1006
#define IDC_POINT_GRID              1010
#define IDC_MOTION_GRID             1011
#define IDC_RESULT_GRID             1012
#define IDC_EXECUTE                 1018
#define IDC_POINT_DETAIL            1022
#define IDC_PARAM_TAB               1047
#define IDC_MODE_INDIVIDUAL         1049
#define IDC_MODE_CONTINUOUS         1050
#define IDC_COPY_RESULTS            1052
#define IDC_RESULT_DETAIL           1053
#define IDC_POINT_GROUP             1099
#define IDC_MOTION_GROUP            1078
#define IDC_RESULT_GROUP            1100
#define IDC_CURRENT_CHECK           1083
#define IDC_LOAD_FACTOR             1084
#define IDC_CURRENT_GROUP           1085
#define IDC_LOAD_FACTOR_LABEL       1086
// The menu bar of the dialog: buttons that open the File and Help menus.
#define IDC_MENU_FILE               1120
#define IDC_MENU_HELP               1121

// Servo simulation parameter page
#define IDC_SERVO_OVERRIDE          1013
#define IDC_SERVO_MASS1             1014
#define IDC_SERVO_MASS2             1015
#define IDC_SERVO_ACCEL1            1016
#define IDC_SERVO_ACCEL2            1017
#define IDC_SERVO_STROKE            1019
#define IDC_SERVO_MAX_SPEED         1104
#define IDC_SERVO_LIMIT_TEXT        1105

// Point detail dialog
#define IDC_DETAIL_STANDARD         1024
#define IDC_DETAIL_CUSTOM           1025
#define IDC_DETAIL_OPT_ON           1026
#define IDC_DETAIL_OPT_OFF          1027
#define IDC_DETAIL_DECIMALS         1028
#define IDC_DETAIL_DECIMALS_GROUP   1077

// About dialog
#define IDC_ABOUT_VERSION           1061
#define IDC_ABOUT_LEGAL             1062
#define IDC_ABOUT_DB_VERSION        1063
#define IDC_ABOUT_DESCRIPTION       1064
#define IDC_ABOUT_ICON              1065
#define IDC_ABOUT_LIB_VERSION       1079
#define IDC_ABOUT_CURRENT_VERSION   1080
#define IDC_ABOUT_CURRENT_LABEL     1101
#define IDC_ABOUT_GROUP             1102

// Caution notice
#define IDC_CAUTION_ICON            1081
#define IDC_CAUTION_DONT_SHOW       1082

// Result detail dialog
#define IDC_RD_TOTAL_TIME           1039
#define IDC_RD_RMS_CURRENT          1045
#define IDC_RD_CHART                1053
#define IDC_RD_VIEW                 1055
#define IDC_RD_VIEW_LABEL           1110
#define IDC_RD_ZOOM_IN              1056
#define IDC_RD_ZOOM_OUT             1057
#define IDC_RD_MOVES                1059
#define IDC_RD_DISTANCE             1061
#define IDC_RD_PEAK_SPEED           1063
#define IDC_RD_ACCEL                1064
#define IDC_RD_ACCEL_G              1065
#define IDC_RD_ACCEL_TIME           1066
#define IDC_RD_CONST_TIME           1067
#define IDC_RD_DECEL_TIME           1068
#define IDC_RD_ACCEL_DISTANCE       1069
#define IDC_RD_CONST_DISTANCE       1070
#define IDC_RD_DECEL_DISTANCE       1071
#define IDC_RD_ACCEL_CURRENT        1072
#define IDC_RD_CONST_CURRENT        1073
#define IDC_RD_DECEL_CURRENT        1074
#define IDC_RD_SCROLL               1079
#define IDC_RD_RMS_LABEL            1097
#define IDC_RD_CURRENT_LABEL        1098

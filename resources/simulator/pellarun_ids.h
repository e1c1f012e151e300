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

#define IDS_RESULT_DETAIL_TITLE     300
#define IDS_APP_CAPTION             500
#define IDS_APP_CAPTION_TITLE       501
#define IDS_DATA_FILE_FILTER        700
#define IDS_DATA_FILE_EXTENSION     701
#define IDS_MOTION_FILE_FILTER      702

// Ids of the tools library's tracesetup resources.
#pragma once

#define IDD_TRACE_SETUP             9003
#define IDD_TRACE_TARGET_PAGE       9004

#define IDC_TSET_TITLE              21250
#define IDC_TSET_GRAPH_COUNT        21254
#define IDC_TSET_TOTAL_TIME         21255
#define IDC_TSET_INTERVAL           21256
#define IDC_TSET_INTERVAL_SPIN      21257
#define IDC_TSET_HUNDREDS           21258
#define IDC_TSET_HUNDREDS_SPIN      21259
#define IDC_TSET_TRIG_MODE          21260
#define IDC_TSET_TRIG_SOURCE        21261
#define IDC_TSET_PRE_TRIGGER        21262
#define IDC_TSET_PRE_TRIGGER_SPIN   21263
#define IDC_TSET_TRIG_LEVEL         21264
#define IDC_TSET_TRIG_SLOPE         21265
#define IDC_TSET_TAB                21266
#define IDC_TTGT_DATA1              21270
#define IDC_TTGT_DATA2              21271
#define IDC_TTGT_DATA3              21272
#define IDC_TTGT_DATA4              21273
#define IDC_TTGT_BIT1               21274
#define IDC_TTGT_BIT2               21275
#define IDC_TTGT_BIT3               21276
#define IDC_TTGT_BIT4               21277

// ---- The set-up dialog's title frame
#define IDC_TSET_TITLE_FRAME        21251
#define IDC_TSET_FRAME_COLOUR_LABEL 21252
#define IDC_TSET_FRAME_COLOUR       21253

// ---- Read-only twins shown in place of the recording's controls while a
// trace data file is shown
#define IDC_TSET_INTERVAL_RO        21823
#define IDC_TSET_HUNDREDS_RO        21824
#define IDC_TSET_TRIG_MODE_RO       21825
#define IDC_TSET_PRE_TRIGGER_RO     21826
#define IDC_TSET_TRIG_SOURCE_RO     21827
#define IDC_TSET_TRIG_SLOPE_RO      21828
#define IDC_TSET_TRIG_LEVEL_RO      21829
#define IDC_TTGT_DATA_RO1           21830
#define IDC_TTGT_BIT_RO1            21834

// ---- Label, graph, scaling and range pages (channel n = 0..3 is id + n)
#define IDD_TRACE_LABEL_PAGE        9005
#define IDD_TRACE_GRAPH_PAGE        9006
#define IDD_TRACE_SCALING_PAGE      9007
#define IDD_TRACE_RANGE_PAGE        9008
#define IDC_TLBL_UNIT1              21290
#define IDC_TLBL_LABEL1             21294
#define IDC_TGRP_DRAW1              21300
#define IDC_TGRP_COLOUR1            21304
#define IDC_TGRP_WIDTH1             21308
#define IDC_TGRP_GRAPH1             21312
#define IDC_TGRP_POSITION1          21316
#define IDC_TSCL_TYPE1              21330
#define IDC_TSCL_RATIO1             21334
#define IDC_TSCL_RATIO_LABEL1       21338
#define IDC_TSCL_OFFSET1            21342
#define IDC_TSCL_OFFSET_LABEL1      21346
#define IDC_TSCL_P1_LABEL1          21350
#define IDC_TSCL_P1SC_LABEL1        21354
#define IDC_TSCL_P2_LABEL1          21358
#define IDC_TSCL_P2SC_LABEL1        21362
#define IDC_TSCL_P1_1               21366
#define IDC_TSCL_P1SC_1             21370
#define IDC_TSCL_P2_1               21374
#define IDC_TSCL_P2SC_1             21378
#define IDC_TRNG_AUTO1              21390
#define IDC_TRNG_LOWER1             21394
#define IDC_TRNG_UPPER1             21398

// ---- Options sheet of the trace window
#define IDD_OPTION_SCREEN_COPY      9010
#define IDD_OPTION_WINDOW_VIEW      9011
#define IDD_OPTION_COMM_ERROR       9022
#define IDC_OPT_VIEW_SWEEP          21416
#define IDC_OPT_VIEW_SCROLL         21417
#define IDC_OPT_COPY_CLIPBOARD      21420
#define IDC_OPT_COPY_BITMAP         21421
#define IDC_OPT_AREA_WINDOW         21422
#define IDC_OPT_AREA_GRAPHS         21423
#define IDC_OPT_ERROR_CHECK         21805
#define IDC_OPT_ERROR_STOP          21806
#define IDC_OPT_ERROR_WARN          21807
#define IDC_OPT_ERROR_GROUP         21808

// ---- Strings
#define IDS_TRACE_RANGE_TOO_WIDE    48060

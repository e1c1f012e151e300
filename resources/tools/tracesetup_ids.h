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

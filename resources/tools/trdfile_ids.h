// Ids of the tools library's trace-file resources: the trace-file dialog,
// the trace-file viewer, the A-B cursor window and the calculator.
#pragma once

// ---- Dialog templates
#define IDD_AB_CURSOR               9002
#define IDD_CALCULATOR              9012
#define IDD_CALC_SETUP              9013
#define IDD_TRD_FILE                9024
#define IDD_TRD_VIEWER              9025

// ---- Controls
// A-B cursor window
#define IDC_ABC_LIST                21206
#define IDC_ABC_A_TIME              21207
#define IDC_ABC_B_TIME              21208
#define IDC_ABC_BA_TIME             21209
#define IDC_ABC_A_SPIN              21210
#define IDC_ABC_B_SPIN              21211
#define IDC_ABC_AB_SPIN             21212
// Calculator
#define IDC_CALC_LIST               21430
#define IDC_CALC_CALCULATE          21431
#define IDC_CALC_SETUP              21432
#define IDC_CALC_FROM               21433
#define IDC_CALC_TO                 21434
// Calculator set-up
#define IDC_CSET_MAX                21440
#define IDC_CSET_MAX_TIME           21441
#define IDC_CSET_MIN                21442
#define IDC_CSET_MIN_TIME           21443
#define IDC_CSET_AVERAGE            21444
#define IDC_CSET_RMS                21445
#define IDC_CSET_BETWEEN_CURSORS    21446
#define IDC_CSET_STRETCH_1          21447
#define IDC_CSET_STRETCH_2          21448
#define IDC_CSET_STRETCH_3          21449
#define IDC_CSET_STRETCH_4          21450
// Trace-file dialog: the chooser, then the preview panel and the viewer box
#define IDC_TRDF_PREVIEW_TITLE      21814
#define IDC_TRDF_PREVIEW_CONTROLLER 21815
#define IDC_TRDF_PREVIEW_VERSION    21816
#define IDC_TRDF_PREVIEW_ROBOT      21817
#define IDC_TRDF_PREVIEW_CH1        21818
#define IDC_TRDF_PREVIEW_CH2        21819
#define IDC_TRDF_PREVIEW_CH3        21820
#define IDC_TRDF_PREVIEW_CH4        21821
#define IDC_TRDF_NEW_VIEWER         21822
#define IDC_TRDF_FOLDER             21823
#define IDC_TRDF_UP                 21824
#define IDC_TRDF_LIST               21825
#define IDC_TRDF_NAME               21826
#define IDC_TRDF_TYPE               21827

// ---- Strings
#define IDS_TRDF_OPEN_CAPTION       10230
#define IDS_TRDF_SAVE_CAPTION       10231
#define IDS_TRDF_REPLACE_ASK        10232
#define IDS_TRDF_NOT_FOUND          10233
#define IDS_TRDF_NO_FOLDER          10234
#define IDS_TRDF_FOLDER_MARK        10235

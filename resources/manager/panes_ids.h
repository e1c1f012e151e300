// Ids of the manager's panes resources.
#pragma once

#define IDD_PANE_POINTTABLE         141
#define IDD_PANE_PARAMETER          145
#define IDD_PANE_INFORMATION        161

#define IDC_PANE_HIDE_UNDEFINED     1003
#define IDC_PANE_FULL_VIEW          1004
#define IDC_PANE_POINT_GRID         1010
#define IDC_PANE_PARAM_GRID         1012
#define IDC_PANE_PARAM_DESCRIPTION  1013
#define IDC_PANE_MANUAL_BUTTON      1224
#define IDC_PANE_NETWORK_BUTTON     1404
#define IDC_PANE_USER_NAME_BUTTON   1383
#define IDC_PANE_PRINT_GRID         1384

// Information pane: labels and value boxes.
#define IDC_INFO_LABEL_CONT         1027
#define IDC_INFO_LABEL_USER         1028
#define IDC_INFO_LABEL_IF           1033
#define IDC_INFO_LABEL_VER          1019
#define IDC_INFO_LABEL_UNIT         1018
#define IDC_INFO_LABEL_NODE         1014
#define IDC_INFO_LABEL_ROBOT        1021
#define IDC_INFO_LABEL_STROKE       1015
#define IDC_INFO_LABEL_SPEED        1020
#define IDC_INFO_LABEL_LOAD         1023
#define IDC_INFO_HEAD_CONTROLLER    1007
#define IDC_INFO_HEAD_ROBOT         1008
#define IDC_INFO_CONT               1029
#define IDC_INFO_USER               1382
#define IDC_INFO_IF                 1032
#define IDC_INFO_VER                1034
#define IDC_INFO_UNIT               1030
#define IDC_INFO_NODE               1026
#define IDC_INFO_ROBOT              1031
#define IDC_INFO_STROKE             1022
#define IDC_INFO_SPEED              1016
#define IDC_INFO_LOAD               1025
#define IDC_INFO_EXTRA_FIRST        1340
#define IDC_INFO_EXTRA_LABEL_FIRST  1350

#define IDS_PANE_COL_FIRST          23000
// 23000 to 23013: point-table headings (number, M, P, S, AC, DC, Q, ZL, ZH, N, J, F, C, T)
#define IDS_PANE_UNIT_POSITION      23020
#define IDS_PANE_UNIT_PERCENT       23021
#define IDS_PANE_UNIT_TIME          23022
#define IDS_PANE_UNIT_SPEED         23023
#define IDS_PANE_UNIT_ACCEL         23024
#define IDS_PANE_HIDE_UNDEFINED     23025
#define IDS_PANE_FULL_VIEW          23026
#define IDS_PANE_MANUAL_OPEN        23027
#define IDS_PANE_MANUAL_CLOSE       23028
#define IDS_PANE_ONE_ROW            23029
#define IDS_PANE_BUILDING           23030
#define IDS_PANE_PARAM_NUMBER       23031
#define IDS_PANE_PARAM_NAME         23032
#define IDS_PANE_PARAM_UNIT         23033
#define IDS_PANE_PARAM_VALUE        23034
#define IDS_PANE_PARAM_OUT_OF_RANGE 23035
#define IDS_PANE_PARAM_NOT_A_CHOICE 23036
#define IDS_PANE_NETWORK            23037
#define IDS_PANE_USER_NAME          23038
#define IDS_PANE_NOT_A_NUMBER       23039
#define IDS_INFO_HEAD_CONTROLLER    23040
#define IDS_INFO_HEAD_ROBOT         23041
#define IDS_INFO_CONT               23042
#define IDS_INFO_USER               23043
#define IDS_INFO_IF                 23044
#define IDS_INFO_VER                23045
#define IDS_INFO_UNIT               23046
#define IDS_INFO_NODE               23047
#define IDS_INFO_ROBOT              23048
#define IDS_INFO_STROKE             23049
#define IDS_INFO_SPEED              23050
#define IDS_INFO_LOAD               23051
#define IDS_INFO_UNIT_NORMAL        23052
#define IDS_INFO_UNIT_FINE          23053
#define IDS_INFO_ORIGIN_MOTOR       23054
#define IDS_INFO_ORIGIN_END         23055
#define IDS_INFO_EXTRA_LABEL_FIRST  23060
// 23060 to 23065: labels of the six further boxes (origin side, position decimals, K14 motor
// direction, K66 home return method, K15 point selection, K74 brake)
#define IDS_INFO_PRINT_TITLE        23070

// Labels of the printed headings (the controller and user labels are the
// serial list's column texts, 336 and 344).

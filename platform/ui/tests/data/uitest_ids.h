// Ids of the window layer's test resources.
#define IDD_ALL_CONTROLS   100
#define IDD_PAGE_GENERAL   101
#define IDD_PAGE_LIMITS    102
#define IDD_BROKEN_PAGE    103

#define IDR_TEST_MENU      200
#define IDR_TEST_KEYS      201

#define IDI_APP            300
#define IDB_LOGO           301
#define IDC_POINTER        302

#define IDS_LANGUAGE       400
#define IDS_PAGE_GENERAL   401
#define IDS_PAGE_LIMITS    402
#define IDS_SHEET_CAPTION  403

#define IDC_NAME           1000
#define IDC_COUNT          1001
#define IDC_COUNT_SPIN     1002
#define IDC_RATIO          1003
#define IDC_PASSWORD       1004
#define IDC_NOTES          1005
#define IDC_READONLY       1006
#define IDC_ENABLE         1007
#define IDC_FAST           1008
#define IDC_SLOW           1009
#define IDC_MODE           1010
#define IDC_PORT           1011
#define IDC_ITEMS          1012
#define IDC_TABLE          1013
#define IDC_TREE           1014
#define IDC_TABS           1015
#define IDC_PROGRESS       1016
#define IDC_SLIDER         1017
#define IDC_SCROLL         1018
#define IDC_ADDRESS        1019
#define IDC_HEADER         1020
#define IDC_APP_ICON       1021
#define IDC_LOGO           1022
#define IDC_FRAME          1023
#define IDC_DRAWN          1024
#define IDC_APPLY          1025
#define IDC_GROUP          1026
#define IDC_LABEL          1027

#define IDC_PAGE_TEXT      1100
#define IDC_PAGE_CHECK     1101
#define IDC_PAGE_LIMIT     1102

#define ID_FILE_OPEN       32800
#define ID_FILE_SAVE       32801
#define ID_EDIT_COPY       32802
#define ID_VIEW_ZOOM       32803

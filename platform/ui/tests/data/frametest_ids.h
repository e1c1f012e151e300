// Ids of the frame tests' resources. The class library's standard ids
// (0xE100 and up) are written as numbers in the script, so this header can
// sit beside platform/ui/FrameIds.h.
#define IDR_FRAME           128
#define IDR_SHEET           129
#define IDD_SHEET_FORM      102
#define IDC_AXIS            1001
#define IDC_SPEED           1002
#define ID_SHEET_MARK       32800
#define ID_SHEET_LOCK       32801
#define ID_SHEET_OPEN_MENU  32802
#define ID_INDICATOR_LINK   32810
#define IDI_TB_NEW          301
#define IDI_TB_OPEN         302
#define IDI_TB_COPY         303
#define IDI_TB_MARK         304
#define IDS_NO_PROMPT       305

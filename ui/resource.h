// Resource and control identifiers of values. The numbers are fixed: tests
// and the templates depend on them.
#pragma once

#define IDD_MAIN   101
#define IDM_MAIN   103
#define IDD_RANGE  104
#define IDI_VALUES 106
#define IDA_MAIN   107
// The row pictures built into the program, for a folder without the files.
#define IDI_EDIT   108
#define IDI_DELETE 109

// Main window. Slot k (0 to 4) owns IDC_SLOT_NAME + k, IDC_SLOT_VALUE + k,
// IDC_SLOT_EDIT + k and IDC_SLOT_DELETE + k.
#define IDC_LOCAL_VALUE  1005
#define IDC_SLOT_NAME    1006
#define IDC_SLOT_VALUE   1011
#define IDC_SLOT_EDIT    1016
#define IDC_SLOT_DELETE  1021
#define IDC_LOCAL_LABEL  1026
#define IDC_PROJECT_NAME 1029
#define IDC_KEEP_ON_TOP  1030
#define IDC_MAIN_RANGE   1031

// Range dialog.
#define IDC_RANGE_NAME 1002
#define IDC_RANGE_LOW  1003
#define IDC_RANGE_HIGH 1004
#define IDC_RANGE_HELP 1017
#define IDC_LOW_LABEL  1027
#define IDC_HIGH_LABEL 1028

// Menu commands.
#define IDM_NEW_RANGE    40003
#define IDM_OPEN_PROJECT 40007
#define IDM_SAVE_PROJECT 40008
#define IDM_EXIT         40010
#define IDM_NEW_MAIN     40013
// The recent projects in the File menu, newest first, and the line above them.
#define IDM_RECENT_PROJECT   40020
#define IDM_RECENT_SEPARATOR 40019

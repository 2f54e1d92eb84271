// The test dialog of the parameter-map tests (editor_test_dialog.rc).
#pragma once

#define IDD_TEST_MAP 100
#define IDS_TEST_TITLE 101
#define IDC_T_FLOAT_EDIT 1001
#define IDC_T_FLOAT_SPIN 1002
#define IDC_T_INT_EDIT 1003
#define IDC_T_INT_SPIN 1004
#define IDC_T_CHECK 1005
#define IDC_T_RADIO_A 1006
#define IDC_T_RADIO_B 1007
#define IDC_T_RADIO_C 1008
#define IDC_T_MAP1 1009
#define IDC_T_MAP2 1010
#define IDC_T_OTHER 1011

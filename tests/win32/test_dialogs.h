#pragma once
// Resource ids of test_dialogs.rc.
#define IDD_TEST_PLAIN 900
#define IDD_TEST_PLACED 901
#define IDC_TEST_EDIT 910
#define IDC_TEST_CHECK 911

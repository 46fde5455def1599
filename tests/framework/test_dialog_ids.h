#pragma once
#define IDD_TEST_DIALOG  9001
#define IDC_TEST_BUTTON  9101
#define IDC_TEST_PLAIN   9102
#define IDC_TEST_COMBO   9103

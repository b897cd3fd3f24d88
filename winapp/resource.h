// Identifiers shared by the resource script and the dialog code.
#pragma once

#define IDD_ABOUT 100
#define IDS_ABOUT_ITEM 101
#define IDD_MAIN 102
#define IDI_APP 128

#define IDC_RESULTS_PATH 1000
#define IDC_DOE2_PATH 1001
#define IDC_PROCESS_RESULTS 1002
#define IDC_CHECK_POSTED 1003

// The system-menu command that opens the About box.
#define ID_SYS_ABOUT 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

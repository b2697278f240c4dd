// resources/: the resource script, the export lists and the icons of Brio's library. Uses no other
// folder of src/; the code that loads a resource takes its id from here.
//
// Identifiers of the resources in Brio's library, shared by brio.rc and the code that loads them.
// Plain macros, since the resource compiler reads this file too.
#pragma once

// Icons: the logo in the 32-pixel list (5) and the 16-pixel list (102), and the three pages.
#define IDI_BRIO_LARGE 5
#define IDI_BRIO_SMALL 102
#define IDI_PAGE_BRIO 105
#define IDI_PAGE_P2P 106
#define IDI_PAGE_LIST 107

// The list view's context menu.
#define IDM_LIST_CONTEXT 101
#define IDM_DUPLICATE 40005
#define IDM_COPY 40006
#define IDM_DELETE 40007
#define IDM_DELETE_ALL 40008

// The text import's options dialog: one radio button per status position, then the time field.
#define IDD_IMPORT_OPTIONS 103
#define IDC_STATUS_0 1001
#define IDC_STATUS_1 1002
#define IDC_STATUS_2 1003
#define IDC_STATUS_3 1004
#define IDC_STATUS_4 1005
#define IDC_STATUS_5 1006
#define IDC_SECONDS 1007

// Numeric ids of the dialogs' resources, controls and commands; shared by dialogs.rc and code.
#pragma once

#define IDD_PROPERTIES 102
#define IDD_ABOUT 203
#define IDM_LIST_MENU 207
#define IDI_ROW_IMAGE 204
#define IDB_BANNER 216
#define IDC_ARROW_CURSOR 104
#define IDC_HAND_CURSOR 223

#define IDC_INFO_LIST 201
#define IDC_EMAIL_LINK 209
#define IDC_WEB_LINK 210

// The commands of menu 207; the handlers are CmdSelectAll, CmdCopy, ... of PropertiesDialog.
#define ID_SELECT_ALL 32768
#define ID_COPY 32769
#define ID_COPY_ALL 32770
#define ID_SAVE_AS 32771
#define ID_ABOUT 32774
#define ID_INVERT_SELECTION 32775
#define ID_COPY_INFO 32776

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

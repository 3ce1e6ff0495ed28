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

#define CmdSelectAll 32768
#define CmdCopy 32769
#define CmdCopyAll 32770
#define CmdSaveAs 32771
#define CmdAbout 32774
#define CmdInvertSelection 32775
#define CmdCopyInfo 32776

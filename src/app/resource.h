// Resource and control identifiers of tavikFM.exe.
#pragma once

#define IDI_TAVIKFM 1

#define IDR_MAINMENU 100
#define IDR_TRAYMENU 101

// Menu bar: mnuFile, mnuHelp.
#define IDM_FILE_OPT 1001
#define IDM_FILE_EXIT 1002
#define IDM_HELP_INDEX 1003
#define IDM_HELP_ABOUT 1004
// Tray popup: mnuPopup.
#define IDM_POP_HELP 1101
#define IDM_POP_ABOUT 1102
#define IDM_POP_OPT 1103
#define IDM_POP_EXIT 1104

// frmMain controls.
#define IDC_CHECK1 201
#define IDC_CMDHIDE 202
#define IDC_CMDSTARTUP 203


// Resource and control identifiers of tavikFM.exe.
#pragma once

#define IDI_TAVIKFM 1

#define IDR_MAINMENU 100
#define IDR_TRAYMENU 101

// Commands, the same in the menu bar and in the tray menu.
#define IDM_OPTIONS 1001
#define IDM_EXIT 1002
#define IDM_HELP_CONTENTS 1003
#define IDM_ABOUT 1004

// The main window's controls.
#define IDC_START_HIDDEN 201
#define IDC_HIDE_TO_TRAY 202
#define IDC_ADD_STARTUP_SHORTCUT 203

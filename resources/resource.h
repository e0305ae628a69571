/* Resource and control identifiers shared by the resource script, removal/
 * and ui/. */
#pragma once

/* Bitmaps */
#define IDB_SPLASH 104
#define IDB_SIDE_PANEL 106

/* Icons */
#define IDI_PROGRAM 32512

/* Dialogs */
#define IDD_SELECT_COMPONENTS 105
#define IDD_PROGRESS 108

/* Controls of IDD_SELECT_COMPONENTS */
#define IDC_COMPONENT_LIST 1000
#define IDC_CANCEL_BUTTON 1003
#define IDC_REMOVE_BUTTON 1004

/* Controls of IDD_PROGRESS */
#define IDC_PROGRESS_LABEL 1007
#define IDC_COMPONENT_NAME 1008

/* Strings */
#define IDS_REMOVED_OK 1012
#define IDS_UNINSTALLER_EXE 1013
#define IDS_WINDOW_TITLE 1014

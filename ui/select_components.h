// The component selection dialog of the interactive removal.
#pragma once

#include <windows.h>

// Posted by the removal worker to the dialog, both parameters 0, when a
// removal has emptied the list and the user has seen the success message.
#define WM_REMOVAL_DONE (WM_USER + 1)

// How many components the list now holds; counted down by the worker.
extern int g_listedCount;

// Lists the components other than ClientBase, enables Remove while some are
// selected, starts the removal worker on Remove, and ends the program on
// Cancel or when the worker reports that everything is gone.
INT_PTR CALLBACK SelectComponentsDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam);

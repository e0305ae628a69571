// The thread that carries out an interactive removal.
#pragma once

#include <windows.h>

// What the selection dialog hands the worker when Remove is pressed.
struct RemovalRequest {
    int* listedCount;
    HWND componentList;
    HWND dialog;
    const char* componentsKeyPath;
};

// Where the interactive removal stands. Set by the selection dialog when it
// starts the worker, and by the worker as it goes.
enum RemovalState {
    kRemovalIdle,      // no worker: the dialog waits for the user
    kRemovalRunning,   // uninstallers run; the wait cursor is up
    kRemovalReporting, // everything is gone; the success message is up
    kRemovalFinished,  // the worker has posted WM_REMOVAL_DONE
};
extern volatile LONG g_removalState;

// Removes the selected components from the bottom of the list up, then,
// once the list is empty, the base component, and reports success. Ends its
// own thread.
DWORD WINAPI RemovalWorker(void* request);

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

// What an item's data says once Remove has been pressed: a click queued
// behind Remove, or another program, may change the list's own selection
// while the worker runs, so the dialog marks each item as it stood.
const LPARAM kMarkedForRemoval = 1;

// Removes the components marked when Remove was pressed from the bottom of
// the list up, then, once the list is empty, the base component, and reports
// success. Ends its own thread.
DWORD WINAPI RemovalWorker(void* request);

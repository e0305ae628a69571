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

// Removes the selected components from the bottom of the list up, then,
// once the list is empty, the base component, and reports success. Ends its
// own thread.
DWORD WINAPI RemovalWorker(void* request);

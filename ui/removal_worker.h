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

// Nonzero from the press of Remove until the worker has finished; keeps a
// second worker from starting and the wait cursor up meanwhile.
extern volatile LONG g_removalRunning;

// Removes the selected components from the bottom of the list up, then,
// once the list is empty, the base component, and reports success. Ends its
// own thread.
void __cdecl RemovalWorker(void* request);

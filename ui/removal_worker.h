// The thread that carries out an interactive removal.
#pragma once

#include <windows.h>

// The most components the list holds: as many as a list box of the 95/98
// family can. Components beyond them are not listed.
const int kMostListed = 32767;

// What the selection dialog hands the worker when Remove is pressed.
struct RemovalRequest {
    int* listedCount;
    HWND componentList;
    HWND dialog;
    const char* componentsKeyPath;
    // Which items were selected when Remove was pressed, by index: a click
    // queued behind Remove, or another program, may change the list's own
    // selection while the worker runs.
    bool selected[kMostListed];
};

// Removes the components selected when Remove was pressed from the bottom of the list up, then,
// once the list is empty, the base component, and reports success. Ends its
// own thread.
DWORD WINAPI RemovalWorker(void* request);

// The thread that carries out an interactive removal.
#pragma once

#include <windows.h>

// The most components the list holds, far more than a product registers
// or a user can pick from; any beyond them are not listed.
const int kMostListed = 4096;

// What the selection dialog hands the worker when Remove is pressed.
struct RemovalRequest {
    int* listedCount;
    HWND componentList;
    HWND dialog;
    const char* componentsKeyPath;
    // Which items were selected when Remove was pressed, a bit for each
    // index (SelectedAt): a click queued behind Remove, or another program,
    // may change the list's own selection while the worker runs.
    unsigned char selected[kMostListed / 8];
};

inline bool SelectedAt(const RemovalRequest* request, int index) {
    return (request->selected[index / 8] >> (index % 8) & 1) != 0;
}

// Removes the components selected when Remove was pressed from the bottom of the list up, then,
// once the list is empty, the base component, and reports success. Ends its
// own thread.
DWORD WINAPI RemovalWorker(void* request);

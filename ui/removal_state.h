// Where the interactive removal stands, and who moves it on. The selection
// dialog, the removal worker and the splash window change and read it only
// here: each move below is made by one side, and each question is the guard
// of one place.
//
//   from        to          made by  when
//   Idle        Running     dialog   Remove is pressed
//   Running     Idle        dialog   the worker thread could not be started
//   Running     Idle        worker   components remain listed
//   Running     Reporting   worker   the list is empty and ClientBase has gone
//   Reporting   Finished    worker   the user has seen the success message
//
// Only the dialog's thread leaves Idle, and the worker enters it only as it
// ends, so a test of Idle on the dialog's thread cannot be overtaken.
#pragma once

#include <windows.h>

enum RemovalState {
    kRemovalIdle,      // no worker: the dialog waits for the user
    kRemovalRunning,   // uninstallers run; the wait cursor is up
    kRemovalReporting, // everything is gone; the success message is up
    kRemovalFinished,  // WM_REMOVAL_DONE is on its way to the dialog
};

// One of RemovalState; changed on the dialog's thread and the worker's, and
// only through the moves below.
inline volatile LONG g_removalState;

inline void MoveRemovalTo(RemovalState state) {
    InterlockedExchange(&g_removalState, state);
}

// The moves.

// Idle to Running, by the dialog when Remove is pressed. False, and nothing
// changes, while a removal is under way: a second press can arrive before
// the worker has disabled the buttons.
inline bool StartRemoval() {
    if (g_removalState != kRemovalIdle)
        return false;
    MoveRemovalTo(kRemovalRunning);
    return true;
}

// Running to Idle: by the dialog when the worker could not be started, by
// the worker when components remain listed (before the controls come back,
// so that a Cancel pressed as soon as it is enabled is carried out).
inline void ReturnToIdle() {
    MoveRemovalTo(kRemovalIdle);
}

// Running to Reporting, by the worker: the success message goes up.
inline void ReportRemoval() {
    MoveRemovalTo(kRemovalReporting);
}

// Reporting to Finished, by the worker, right before WM_REMOVAL_DONE.
inline void FinishRemoval() {
    MoveRemovalTo(kRemovalFinished);
}

// The guards.

// Cancel ends the program only while no removal runs: a Cancel queued right
// behind Remove would otherwise cut it off.
inline bool CancelEndsProgram() {
    return g_removalState == kRemovalIdle;
}

// The dialog shows the wait cursor while uninstallers run.
inline bool ShowsWaitCursor() {
    return g_removalState == kRemovalRunning;
}

// A WM_REMOVAL_DONE is the worker's own only once it has finished (the
// number is also DM_SETDEFID's).
inline bool RemovalHasFinished() {
    return g_removalState == kRemovalFinished;
}

// A shutdown or log-off waits while uninstallers run; once they are all
// done (the success message is up) it may go ahead.
inline bool RefusesEndSession() {
    return g_removalState == kRemovalRunning;
}

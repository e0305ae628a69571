// Removing one client component: its uninstaller is started and waited for.
#pragma once

#include <windows.h>

// The progress box of the interactive removal now running; null when none.
// Written on the removal worker thread, read by the main message loop.
extern HWND g_progressBox;

// Starts "uninst.exe -a -f"<file>"" for component name, the file being the
// one registered under componentsKeyPath, and returns when that process has
// ended. uninst.exe is looked for in the program's own folder, the system
// folder, the Windows folder and PATH, never in the current folder. The base component's removal is
// preceded by the environment cleanup. Unless silent, a progress box owned by owner names the
// component while the uninstaller runs, the calling thread's messages are handled meanwhile, and a
// failed start is reported in a message box.
void RemoveComponent(const char* componentsKeyPath, const char* name, HWND owner, int silent);

// What became of the uninstallers of this run, one count per RemoveComponent
// call, for the log's end line. Written by the thread that removes.
struct RemovalCounts {
    unsigned long endedWithZero;
    unsigned long endedOtherwise; // another exit code, or the wait for it failed
    unsigned long notStarted;
};
extern RemovalCounts g_removalCounts;

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The splash window and the main message loop of the interactive removal.
#pragma once

#include <windows.h>

// The splash picture, loaded once at start and kept for the process's life.
extern HBITMAP g_splashBitmap;

// Shows the splash window, opens the component selection dialog over it
// half a second later, and runs the message loop until the quit message.
// Returns the exit code, 0; at once when the window cannot be made.
int RunInteractiveRemoval(HINSTANCE instance, int showCode);

LRESULT CALLBACK SplashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

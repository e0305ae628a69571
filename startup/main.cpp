// Program entry: a command line with anything after the program's name
// removes the components it names silently; an empty one starts the
// interactive removal.
#include <windows.h>

#include "command_line.h"
#include "command_line_removal.h"
#include "../ui/splash_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The runtime's own tail splits quoted program names differently, so the
    // tail is taken from the full command line here.
    const char* tail = FindCommandLineTail(GetCommandLineA());
    if (tail[0] != '\0')
        return RunCommandLineRemoval(tail);

    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    int showCode = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    return RunInteractiveRemoval(instance, showCode);
}

// Program entry: a command line with anything after the program's name
// removes the components it names silently; an empty one starts the
// interactive removal.
//
// The program links no C runtime, so that it loads on every Windows 95 and
// NT 4.0 and runs on a 386: ProgramEntry takes the place of the runtime's
// start-up code.
#include <windows.h>

#include "command_line.h"
#include "command_line_removal.h"
#include "../base/text.h"
#include "../environment/environment_store.h"
#include "../log/removal_log.h"
#include "../removal/remove_component.h"
#include "../ui/splash_window.h"

namespace {

// The start line of the removal log: the mode, the tail and the system.
// Returns the system's family (dwPlatformId).
DWORD LogStart(const char* tail) {
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    char system[96] = "Windows (version unknown)";
    version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    if (GetVersionExA(&version)) {
        bool family9x = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
        wsprintfA(system, "Windows %s family, version %lu.%lu build %lu", family9x ? "95/98" : "NT",
                  version.dwMajorVersion, version.dwMinorVersion,
                  version.dwBuildNumber & (family9x ? 0xFFFF : 0xFFFFFFFF));
    }
    LogLine* line = StartLogLine();
    if (tail[0] != '\0') {
        // The part of the tail that counts, whole.
        char counted[kRemovalBufferSize];
        CopyText(counted, sizeof counted, tail);
        LogText(line, "start: silent removal, tail \"");
        LogName(line, counted);
        LogText(line, "\", ");
    } else {
        LogText(line, "start: interactive removal, ");
    }
    LogText(line, system);
    WriteLogLine(line);
    return version.dwPlatformId;
}

// The last line of the run: what became of the uninstallers it went on to
// start, in fixed words, so that one search finds every run that went wrong.
void LogEnd(int exitCode) {
    char end[160];
    const RemovalCounts& counts = g_removalCounts;
    wsprintfA(end,
              "end: %lu components: %lu uninstallers ended with exit code 0, %lu with another "
              "exit code, %lu not started; exit code %d",
              counts.endedWithZero + counts.endedOtherwise + counts.notStarted,
              counts.endedWithZero, counts.endedOtherwise, counts.notStarted, exitCode);
    LogEvent(end);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int showCode) {
    OpenRemovalLog();
    // Before anything else: a machine left without its start-up file by an
    // interrupted run gets it back, whatever this run removes.
    RecoverBatchFileLeftovers(LogStart(tail));
    int exitCode =
        tail[0] != '\0' ? RunCommandLineRemoval(tail) : RunInteractiveRemoval(instance, showCode);
    LogEnd(exitCode);
    return exitCode;
}

// What the runtime's GUI start-up did: the tail of the command line (the
// runtime's own splits quoted program names differently), the show code
// the starter asked for, and the exit code handed to ExitProcess.
extern "C" void WINAPI ProgramEntry() {
    char* tail = const_cast<char*>(FindCommandLineTail(GetCommandLineA()));
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int showCode = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(NULL), NULL, tail, showCode)));
}

#include "remove_component.h"

#include "../registration/registration.h"
#include "../log/removal_log.h"
#include "message_wait.h"
#include "uninstaller_command.h"
#include "../environment/clean_environment.h"
#include "../resources/resource.h"

HWND g_progressBox;

namespace {

const char kStartFailedText[] = "Call to CreateProcess() failed";
const char kStartFailedCaption[] = "Quorvane Client";

void OpenProgressBox(HWND owner, const char* name) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    // The box names the component from its first paint on.
    g_progressBox = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), owner,
                                       ProgressDialogProc, reinterpret_cast<LPARAM>(name));
}

void CloseProgressBox() {
    HWND box = g_progressBox;
    g_progressBox = NULL;
    if (box != NULL)
        DestroyWindow(box);
}

// Begins a log line about component name.
LogLine* StartComponentLine(const char* name) {
    LogLine* line = StartLogLine();
    LogText(line, "component \"");
    LogName(line, name);
    return line;
}

// Returns when the uninstaller has ended, or at once when its process
// cannot be waited for at all. Logs how it ended.
void WaitForUninstaller(const char* name, const PROCESS_INFORMATION& started) {
    DWORD startedAt = GetTickCount();
    // PROCESS_ALL_ACCESS of the era's headers: later ones define a larger
    // mask that older systems refuse.
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, started.dwProcessId);
    HANDLE waitOn = process != NULL ? process : started.hProcess;
    WaitHandlingMessages(waitOn, NULL);
    DWORD exitCode;
    bool ended = GetExitCodeProcess(waitOn, &exitCode) && exitCode != STILL_ACTIVE;
    DWORD elapsedMs = GetTickCount() - startedAt;
    LogLine* line = StartComponentLine(name);
    if (ended) {
        LogText(line, "\": uninstaller ended with exit code ");
        LogNumber(line, exitCode);
        LogText(line, " after ");
        LogNumber(line, elapsedMs);
        LogText(line, " ms");
    } else {
        LogText(line, "\": the wait for the uninstaller failed");
    }
    WriteLogLine(line);
    if (process != NULL)
        CloseHandle(process);
}

} // namespace

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE;
    SetDlgItemTextA(dialog, IDC_COMPONENT_NAME, reinterpret_cast<const char*>(lParam));
    return TRUE;
}

void RemoveComponent(const char* componentsKeyPath, const char* name, HWND owner, int silent) {
    if (IsBaseComponent(name))
        CleanEnvironment(name);
    if (!silent)
        OpenProgressBox(owner, name);

    char file[kComponentFileSize];
    ReadComponentFile(componentsKeyPath, name, file);
    char program[20];
    if (LoadStringA(GetModuleHandleA(NULL), IDS_UNINSTALLER_EXE, program, sizeof program) <= 0)
        program[0] = '\0';
    char commandLine[kUninstallerCommandLineSize];
    BuildUninstallerCommandLine(program, file, commandLine, sizeof commandLine);

    LogLine* line = StartComponentLine(name);
    LogText(line, file[0] != '\0' ? "\": starting " : "\": no file registered; starting ");
    LogName(line, commandLine);
    WriteLogLine(line);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &started)) {
        DWORD error = GetLastError();
        line = StartComponentLine(name);
        LogText(line, "\": the uninstaller could not be started (error ");
        LogNumber(line, error);
        LogText(line, ")");
        WriteLogLine(line);
        if (!silent) {
            CloseProgressBox();
            MessageBoxA(NULL, kStartFailedText, kStartFailedCaption, MB_ICONERROR);
        }
        return;
    }
    WaitForUninstaller(name, started);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    if (!silent)
        CloseProgressBox();
}

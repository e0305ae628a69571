#include "remove_component.h"

#include "registration.h"
#include "removal_log.h"
#include "uninstaller_command.h"
#include "../environment/clean_environment.h"
#include "../resources/resource.h"

HWND g_progressBox;

namespace {

// Access mask PROCESS_ALL_ACCESS had on the Windows versions the program
// targets; later headers define a larger one that older systems refuse.
const DWORD kProcessAllAccess = 0x1F0FFF;

// Every input kind from QS_KEY to QS_HOTKEY.
const DWORD kWakeOnAnyInput = 0xFF;

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

// Handles every message waiting for the calling thread.
void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Returns when the uninstaller has ended, or at once when it cannot be
// waited for: a wait that fails is not retried, so it never spins. Logs how
// it ended.
void WaitForUninstaller(const char* name, const PROCESS_INFORMATION& started) {
    DWORD startedAt = GetTickCount();
    HANDLE process = OpenProcess(kProcessAllAccess, FALSE, started.dwProcessId);
    HANDLE waitOn = process != NULL ? process : started.hProcess;
    for (;;) {
        DWORD result = MsgWaitForMultipleObjects(1, &waitOn, FALSE, INFINITE, kWakeOnAnyInput);
        if (result != WAIT_OBJECT_0 + 1)
            break;
        // Messages are taken off the queue in silent mode too: left there,
        // they would wake the wait again at once.
        PumpMessages();
    }
    DWORD exitCode;
    if (GetExitCodeProcess(waitOn, &exitCode) && exitCode != STILL_ACTIVE) {
        char code[12], ms[12];
        LogEvent("component \"", name, "\": uninstaller ended with exit code ",
                 DecimalText(exitCode, code), " after ",
                 DecimalText(GetTickCount() - startedAt, ms), " ms");
    } else {
        LogEvent("component \"", name, "\": the wait for the uninstaller failed");
    }
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

    LogEvent("component \"", name,
             file[0] != '\0' ? "\": starting " : "\": no file registered; starting ", commandLine);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &started)) {
        char error[12];
        LogEvent("component \"", name, "\": the uninstaller could not be started (error ",
                 DecimalText(GetLastError(), error), ")");
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

#include "remove_component.h"

#include "../registration/registration.h"
#include "../log/removal_log.h"
#include "message_wait.h"
#include "uninstaller_command.h"
#include "../environment/clean_environment.h"
#include "../resources/resource.h"
#include "../base/text.h"

HWND g_progressBox;
RemovalCounts g_removalCounts;

namespace {

const char kStartFailedText[] = "Call to CreateProcess() failed";
const char kStartFailedCaption[] = "Quorvane Client";

// Room for PATH, the longest environment variable there is.
const DWORD kPathListSize = 32768;

// Whether a folder of a search list names its place whole, from a drive's
// root or a share: a relative one ("." or an empty entry of PATH, say) would
// be the current folder after all.
bool IsWholeFolder(const char* folder) {
    return (folder[0] != '\0' && folder[1] == ':' && folder[2] == '\\') ||
           (folder[0] == '\\' && folder[1] == '\\');
}

// Finds the uninstaller where Windows looks for a program to start, except
// in the current folder: that is wherever this program was started from (a
// user's desktop, a download folder, a share), and a file of that name there
// must never run, with the administrator's rights, in place of the
// product's. The program's own folder (by its full name: a ';' in it must
// not make it a list), the system folder, the Windows folder, then the
// folders of PATH, one by one. Its full name goes to path; false when not
// found.
bool FindUninstaller(const char* program, char path[MAX_PATH]) {
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length < MAX_PATH) {
        while (length > 0 && path[length - 1] != '\\')
            --length;
        path[length] = '\0';
        // Not found, and a folder of that name, have the directory bit.
        if (length > 0 && AppendText(path, MAX_PATH, program) &&
            (GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY) == 0)
            return true;
    }
    char* list = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, kPathListSize));
    length = 0;
    for (int step = 0; list != NULL && step < 3 && length == 0; ++step) {
        DWORD listLength = step == 0   ? GetSystemDirectoryA(list, kPathListSize)
                           : step == 1 ? GetWindowsDirectoryA(list, kPathListSize)
                                       : GetEnvironmentVariableA("PATH", list, kPathListSize);
        if (listLength == 0 || listLength >= kPathListSize)
            continue;
        // ';' is never the second byte of a double-byte character.
        for (char *folder = list, *end; length == 0; folder = end + 1) {
            for (end = folder; *end != '\0' && *end != ';';)
                ++end;
            bool last = *end == '\0';
            *end = '\0';
            char* name;
            if (IsWholeFolder(folder))
                length = SearchPathA(folder, program, NULL, MAX_PATH, path, &name);
            if (length >= MAX_PATH)
                length = 0;
            if (last)
                break;
        }
    }
    if (list != NULL)
        HeapFree(GetProcessHeap(), 0, list);
    return length != 0;
}

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
    ++*(ended && exitCode == 0 ? &g_removalCounts.endedWithZero : &g_removalCounts.endedOtherwise);
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

    char path[MAX_PATH];
    bool found = FindUninstaller(program, path);
    LogLine* line = StartComponentLine(name);
    LogText(line, file[0] != '\0' ? "\": starting " : "\": no file registered; starting ");
    if (found) {
        LogName(line, path);
        LogText(line, " as ");
    }
    LogName(line, commandLine);
    WriteLogLine(line);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    // Started by its full name, in its own folder: the current folder is
    // wherever this program was started from, and Windows looks there for
    // the DLLs a program loads, before PATH. The command line it sees stays
    // as it was.
    char folder[MAX_PATH];
    CopyText(folder, sizeof folder, found ? path : "");
    for (size_t i = TextLength(folder); i > 0 && folder[i - 1] != '\\'; --i)
        folder[i - 1] = '\0';
    if (!found ||
        !CreateProcessA(path, commandLine, NULL, NULL, TRUE, 0, NULL, folder, &startup, &started)) {
        ++g_removalCounts.notStarted;
        DWORD error = found ? GetLastError() : ERROR_FILE_NOT_FOUND;
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

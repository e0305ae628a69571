#include "select_components.h"

#include "removal_state.h"
#include "removal_worker.h"
#include "../registration/registration.h"
#include "../removal/message_wait.h"
#include "../resources/resource.h"

int g_listedCount;

namespace {

// The dialog's list of components.
HWND g_componentList;

// What the worker is given; filled just before it starts.
RemovalRequest g_removalRequest;

// The last worker started; closed when the next starts or the dialog goes.
HANDLE g_worker;

// Lists one registered component, unless it is the base component
// (compared byte for byte, see IsBaseComponent).
void ListComponent(const char* name, void*) {
    if (IsBaseComponent(name))
        return;
    SendMessageA(g_componentList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    ++g_listedCount;
}

// Fills the list; Remove waits for a selection.
void OnInitDialog(HWND dialog) {
    g_componentList = GetDlgItem(dialog, IDC_COMPONENT_LIST);
    g_listedCount = 0;
    EnumerateComponents(ListComponent, NULL);
    EnableWindow(GetDlgItem(dialog, IDC_REMOVE_BUTTON), FALSE);
}

// Remove is enabled exactly while something is selected.
void OnSelectionChange(HWND dialog) {
    BOOL selected = SendMessageA(g_componentList, LB_GETSELCOUNT, 0, 0) > 0;
    EnableWindow(GetDlgItem(dialog, IDC_REMOVE_BUTTON), selected);
}

// Starts the worker, unless one is already running.
void OnRemove(HWND dialog) {
    if (!StartRemoval())
        return;
    g_removalRequest.listedCount = &g_listedCount;
    g_removalRequest.componentList = g_componentList;
    g_removalRequest.dialog = dialog;
    g_removalRequest.componentsKeyPath = ComponentsKey;
    for (int i = 0; i < g_listedCount; ++i) {
        LPARAM marked = SendMessageA(g_componentList, LB_GETSEL, i, 0) > 0 ? kMarkedForRemoval : 0;
        SendMessageA(g_componentList, LB_SETITEMDATA, i, marked);
    }
    // Windows 95 fails CreateThread without somewhere to put the id.
    DWORD threadId;
    HANDLE worker = CreateThread(NULL, 0, RemovalWorker, &g_removalRequest, 0, &threadId);
    if (worker == NULL) {
        ReturnToIdle();
        return;
    }
    if (g_worker != NULL)
        CloseHandle(g_worker);
    g_worker = worker;
}

// The dialog goes under a running removal only when a quit message (or the
// end of the splash window) cut its modal loop short. The removal still goes
// to its end: until the worker has ended, the list and the dialog stay and
// this thread keeps handling their messages; the quit message is passed on
// afterwards.
void OnDestroy() {
    if (g_worker == NULL)
        return;
    bool quit = false;
    WaitHandlingMessages(g_worker, &quit);
    CloseHandle(g_worker);
    g_worker = NULL;
    if (quit)
        PostQuitMessage(0);
}

// Ends the dialog and, with the quit message, the program.
void EndProgram(HWND dialog) {
    EndDialog(dialog, 0);
    PostQuitMessage(0);
}

// Cancel ends the program, but never under a running removal.
void OnCancel(HWND dialog) {
    if (CancelEndsProgram())
        EndProgram(dialog);
}

BOOL OnCommand(HWND dialog, int control, int notification) {
    switch (control) {
    case IDC_COMPONENT_LIST:
        if (notification == LBN_SELCHANGE)
            OnSelectionChange(dialog);
        return TRUE;
    case IDC_CANCEL_BUTTON:
        OnCancel(dialog);
        return TRUE;
    case IDC_REMOVE_BUTTON:
        OnRemove(dialog);
        return TRUE;
    }
    return FALSE;
}

// The wait cursor stands over the dialog while a removal runs.
BOOL OnSetCursor(HWND dialog) {
    if (!ShowsWaitCursor())
        return FALSE;
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

} // namespace

INT_PTR CALLBACK SelectComponentsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_SETCURSOR:
        return OnSetCursor(dialog);
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    case WM_REMOVAL_DONE:
        // Only the worker's own message ends the dialog. It is ended here,
        // on the dialog's own thread: ended from the worker, the modal loop
        // could return before this message was handled, and no quit message
        // would ever come.
        if (!RemovalHasFinished())
            return FALSE;
        EndProgram(dialog);
        return TRUE;
    }
    return FALSE;
}

#include "removal_worker.h"

#include "removal_state.h"
#include "select_components.h"
#include "../removal/remove_component.h"
#include "../resources/resource.h"

namespace {

const char kRemovedCaption[] = "Quorvane";

void EnableControls(HWND dialog, BOOL enable) {
    EnableWindow(GetDlgItem(dialog, IDC_CANCEL_BUTTON), enable);
    EnableWindow(GetDlgItem(dialog, IDC_COMPONENT_LIST), enable);
}

// The dialog answers WM_SETCURSOR with the wait cursor only while the
// removal runs; the arrow comes back at once.
void ShowArrow() {
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
}

} // namespace

DWORD WINAPI RemovalWorker(void* argument) {
    RemovalRequest* request = static_cast<RemovalRequest*>(argument);
    HWND dialog = request->dialog;
    HWND list = request->componentList;
    EnableControls(dialog, FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_REMOVE_BUTTON), FALSE);
    SetCursor(LoadCursorA(NULL, IDC_WAIT));

    // First half: a list item's text; second half: the success message.
    char work[512];
    char* name = work;
    char* removedText = work + 256;

    // From the bottom up, so that deleting an item keeps the indexes of
    // those not yet visited.
    for (int i = *request->listedCount - 1; i >= 0; --i) {
        if (SendMessageA(list, LB_GETITEMDATA, i, 0) != kMarkedForRemoval)
            continue;
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
        if (length < 0 || length > 255)
            continue;
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name));
        RemoveComponent(request->componentsKeyPath, name, dialog, 0);
        SendMessageA(list, LB_DELETESTRING, i, 0);
        --*request->listedCount;
    }

    if (*request->listedCount == 0) {
        RemoveComponent(request->componentsKeyPath, "ClientBase", dialog, 0);
        ReportRemoval();
        ShowArrow();
        SetForegroundWindow(dialog);
        if (LoadStringA(GetModuleHandleA(NULL), IDS_REMOVED_OK, removedText, 256) <= 0)
            removedText[0] = '\0';
        MessageBoxA(dialog, removedText, kRemovedCaption, MB_OK);
        // The dialog ends itself on this message, on its own thread, and
        // only once the removal has finished.
        FinishRemoval();
        PostMessageA(dialog, WM_REMOVAL_DONE, 0, 0);
        ExitThread(0);
    }

    // Idle before the controls come back: a Cancel pressed as soon as it is
    // enabled must be carried out.
    ReturnToIdle();
    ShowArrow();
    EnableControls(dialog, TRUE);
    SetForegroundWindow(dialog);
    ExitThread(0);
}

// Loaded into qvuninst.exe by a hook of the interactive tests: asks the
// splash window to close as soon as it has been created, so the close is
// queued ahead of any timer message, however slowly the machine runs.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    CloseOnCreate(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    char name[16];
    if (code == HC_ACTION && call->message == WM_CREATE &&
        GetClassNameA(call->hwnd, name, sizeof name) && lstrcmpA(name, "uninstal") == 0)
        PostMessageA(call->hwnd, WM_CLOSE, 0, 0);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

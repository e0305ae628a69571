// Loaded into qvuninst.exe by hooks of the interactive tests, each acting
// the moment the splash window is created, ahead of any timer message,
// however slowly the machine runs.
#include <windows.h>

#include <stdlib.h>

namespace {

bool IsSplashCreate(HWND window, UINT message) {
    char name[16];
    return message == WM_CREATE && GetClassNameA(window, name, sizeof name) &&
           lstrcmpA(name, "uninstal") == 0;
}

} // namespace

// Asks the splash window to close once it has been created.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    CloseOnCreate(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && IsSplashCreate(call->hwnd, call->message))
        PostMessageA(call->hwnd, WM_CLOSE, 0, 0);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

// Tells the test's thread (QVTEST_THREAD), as WM_APP with the tick count,
// of each window the program's thread creates: the splash window (lParam 0)
// before it starts its timer, each dialog (lParam 1). Right after the splash
// window, posts a stray timer message that comes long before the timer's own.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    NoteCreations(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    char name[16];
    bool dialog = call->message == WM_CREATE && GetClassNameA(call->hwnd, name, sizeof name) &&
                  lstrcmpA(name, "#32770") == 0;
    if (code == HC_ACTION && (dialog || IsSplashCreate(call->hwnd, call->message)))
        PostThreadMessageA(strtoul(getenv("QVTEST_THREAD"), NULL, 10), WM_APP, GetTickCount(),
                           dialog);
    if (code == HC_ACTION && IsSplashCreate(call->hwnd, call->message))
        PostMessageA(call->hwnd, WM_TIMER, 1, 0);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

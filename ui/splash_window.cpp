#include "splash_window.h"

#include "removal_state.h"
#include "select_components.h"
#include "window_size.h"
#include "../removal/remove_component.h"
#include "../resources/resource.h"

HBITMAP g_splashBitmap;

namespace {

const char kWindowClass[] = "uninstal";

// Opens the selection dialog half a second after the window is created.
const UINT_PTR kDialogTimer = 1;
const DWORD kDialogDelayMs = 500;

// The coarsest clock among the systems the program runs on: Windows 95's
// tick count moves in steps of 55 ms, so the timer's own tick may read as
// that much early.
const DWORD kClockStepMs = 55;

// When the timer was started.
DWORD g_timerStartedAt;

// Starts the timer that opens the selection dialog.
void OnCreate(HWND window) {
    g_timerStartedAt = GetTickCount();
    SetTimer(window, kDialogTimer, kDialogDelayMs, NULL);
}

// Opens the selection dialog, once; it runs its own modal loop. Only the
// timer's own tick opens it: a timer message posted by another program
// before the delay is over is ignored, and one that comes after the dialog
// opened, or is queued behind the first, finds the timer stopped.
void OnTimer(HWND window) {
    if (GetTickCount() - g_timerStartedAt + kClockStepMs < kDialogDelayMs ||
        !KillTimer(window, kDialogTimer))
        return;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SELECT_COMPONENTS), window,
                    SelectComponentsDialogProc, 0);
}

// Draws the splash bitmap at the top left of the client area.
void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HDC memory = CreateCompatibleDC(dc);
    if (memory != NULL) {
        HGDIOBJ previous = SelectObject(memory, g_splashBitmap);
        SetMapMode(memory, GetMapMode(dc));
        BITMAP bitmap;
        GetObjectA(g_splashBitmap, sizeof bitmap, &bitmap);
        POINT size = {bitmap.bmWidth, bitmap.bmHeight};
        DPtoLP(dc, &size, 1);
        POINT origin = {0, 0};
        DPtoLP(memory, &origin, 1);
        BitBlt(dc, 0, 0, size.x, size.y, memory, origin.x, origin.y, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    EndPaint(window, &paint);
}

} // namespace

LRESULT CALLBACK SplashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_TIMER:
        OnTimer(window);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_CLOSE:
        // While the selection dialog is open (it disables this window), its
        // Cancel is the way out: a close from outside must not end the
        // program under a running removal.
        if (!IsWindowEnabled(window))
            return 0;
        break;
    case WM_QUERYENDSESSION:
        // A shutdown or log-off waits for a running removal.
        if (RefusesEndSession())
            return FALSE;
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunInteractiveRemoval(HINSTANCE instance, int showCode) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SplashWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hIconSm = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExA(&windowClass))
        return 0;

    g_splashBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_SPLASH));
    BITMAP bitmap;
    if (g_splashBitmap == NULL || !GetObjectA(g_splashBitmap, sizeof bitmap, &bitmap))
        return 0;
    WindowSize size =
        SplashWindowSize(bitmap.bmWidth, bitmap.bmHeight, GetSystemMetrics(SM_CYBORDER),
                         GetSystemMetrics(SM_CYCAPTION));

    char title[256];
    if (LoadStringA(instance, IDS_WINDOW_TITLE, title, sizeof title) <= 0)
        title[0] = '\0';
    HWND window =
        CreateWindowExA(0, kWindowClass, title, WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                        CW_USEDEFAULT, size.width, size.height, NULL, NULL, instance, NULL);
    if (window == NULL)
        return 0;
    ShowWindow(window, showCode);
    UpdateWindow(window);

    // GetMessage's -1 (an error) ends the loop too, rather than spinning.
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        HWND progressBox = g_progressBox;
        if (progressBox != NULL && IsDialogMessageA(progressBox, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // 0 whatever the quit message carries: one posted by another program
    // must not make a removal look failed.
    return 0;
}

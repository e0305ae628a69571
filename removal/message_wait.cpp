#include "message_wait.h"

namespace {

// How long each plain wait lasts once the message-aware one has failed.
const DWORD kPlainWaitMs = 100;

// Handles every message waiting for the calling thread.
void PumpMessages(bool* quit) {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            if (quit != NULL)
                *quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

bool WaitHandlingMessages(HANDLE object, bool* quit) {
    for (;;) {
        DWORD result = MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, kWakeOnAnyInput);
        if (result == WAIT_OBJECT_0)
            return true;
        // Refused (a system that knows fewer input kinds, say): the object
        // has not ended for that.
        if (result != WAIT_OBJECT_0 + 1) {
            result = WaitForSingleObject(object, kPlainWaitMs);
            if (result == WAIT_OBJECT_0)
                return true;
            if (result != WAIT_TIMEOUT)
                return false;
        }
        // Messages are taken off the queue in silent mode too: left there,
        // they would wake the wait again at once.
        PumpMessages(quit);
    }
}

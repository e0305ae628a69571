// Waiting for an uninstaller, or for the removal worker, while the waiting
// thread's messages are handled.
#pragma once

#include <windows.h>

// Every kind of input that Windows 95 and NT 4.0 define, QS_KEY to
// QS_SENDMESSAGE, spelled out: QS_ALLINPUT of later headers holds bits that
// older systems refuse outright, and even the era's headers add XP's
// QS_RAWINPUT to it.
const DWORD kWakeOnAnyInput = 0xFF;

// Returns once object is signalled, handling the thread's messages
// meanwhile; a quit message is taken off the queue and noted in *quit (when
// quit is not null). A failed wait is never taken for the end: the waiting
// goes on in plain waits of a tenth of a second, with the messages handled
// between them. False only when object cannot be waited for at all.
bool WaitHandlingMessages(HANDLE object, bool* quit);

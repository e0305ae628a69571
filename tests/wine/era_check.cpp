// Loaded into qvuninst.exe by the Wine tests before the program's first line
// runs (LoadChecker in harness.h): it points the program's calls that
// take flag sets or structure sizes at checks against the Windows version
// Wine reports to it. A call that version refuses is refused as it would
// refuse it, and a line naming it goes to the file QVTEST_REFUSED names,
// which fails the test. Also a hook of the interactive tests: OnCreate.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>

namespace {

DWORD g_version; // major << 8 | minor, plus 0x10000 on the 95/98 family
char g_record[MAX_PATH];
LPARAM g_timerMessages; // of the program's own message loop, for OnCreate

DWORD Nt() { // the version on the NT family, 0 on the 95/98 family
    return g_version < 0x10000 ? g_version : 0;
}

// The wake bits of MsgWaitForMultipleObjects and PM_QS_*: QS_ALLPOSTMESSAGE
// came with 98 and 2000 (95 and NT 4.0 are both version 4.0), QS_RAWINPUT
// with XP, QS_TOUCH and QS_POINTER with 8.
DWORD WakeBits() {
    DWORD era = (g_version & 0xFFFF) == 0x400 ? 0xFF : 0x1FF;
    return Nt() >= 0x602 ? 0x1DFF : Nt() >= 0x501 ? 0x5FF : era;
}

// Notes a call that this Windows refuses, with the value and the bits it
// does not know (or the value alone), and sets the error it would set.
bool Refused(bool refused, const char* what, DWORD value, DWORD bits = 0,
             DWORD error = ERROR_INVALID_PARAMETER) {
    if (!refused)
        return false;
    FILE* record = fopen(g_record, "a");
    fprintf(record, bits ? "%s 0x%lX has bits 0x%lX" : "%s %lu", what, value, bits);
    fprintf(record, " that Windows %s%lu.%lu does not accept\n", Nt() ? "NT " : "",
            g_version >> 8 & 0xFF, g_version & 0xFF);
    return fclose(record), SetLastError(error), true;
}

bool Bits(const char* what, DWORD value, DWORD known, DWORD error = ERROR_INVALID_PARAMETER) {
    return Refused((value & ~known) != 0, what, value, value & ~known, error);
}

// The log's lock: the first QVTEST_LOCK_REFUSALS calls are refused, as when
// another run holds it, and each call is noted with the file's size then in
// the refusals' file with ".locks" added.
bool Lock(const char* what, HANDLE file) {
    static int refusals = atoi(getenv("QVTEST_LOCK_REFUSALS") ?: "0");
    bool refused = what[0] == 'l' && refusals-- > 0;
    FILE* record = fopen((std::string(g_record) + ".locks").c_str(), "ab");
    fprintf(record, "%s %lu\n", refused ? "refused" : what, GetFileSize(file, NULL));
    return fclose(record), refused && (SetLastError(ERROR_LOCK_VIOLATION), true);
}

// The call, or failed (as its result) when check refuses it.
template <auto real, long failed, auto check> struct Checked;
template <typename R, typename... A, R(WINAPI* real)(A...), long failed, auto check>
struct Checked<real, failed, check> {
    static R WINAPI Call(A... a) {
        return check(a...) ? R(failed) : real(a...);
    }
};
// An entry of the table below: the call, what it returns when refused, its
// parameters and the expression that refuses it.
// clang-format off
#define CHECKED(call, failed, params, ...) \
    {#call, (void*)Checked<call, failed, [] params { return __VA_ARGS__; }>::Call}
// clang-format on

const struct {
    const char* name;
    void* checked;
} kChecked[] = {
    CHECKED(MsgWaitForMultipleObjects, -1, (DWORD, auto, BOOL, DWORD, DWORD mask),
            Bits("MsgWaitForMultipleObjects: wake mask", mask, WakeBits()) ||
                // refused outright, as by a system that cannot take it, while the test asks
                (CloseHandle(OpenEventA(SYNCHRONIZE, FALSE, "QvTestNoMessageWait")) &&
                 (SetLastError(ERROR_INVALID_PARAMETER), true))),
    // PM_QS_* (wake bits in the high word) came with 98 and 2000.
    CHECKED(PeekMessageA, 0, (auto, auto, UINT, UINT, UINT flags),
            Bits("PeekMessageA: flags", flags,
                 ((g_version & 0xFFFF) == 0x400 ? 0 : WakeBits() << 16) | 3, ERROR_INVALID_FLAGS)),
    // OSVERSIONINFOEXA (156 bytes) came with 2000 (and NT 4.0 SP6, not Wine's).
    CHECKED(
        GetVersionExA, 0, (auto* v),
        Refused(v->dwOSVersionInfoSize != 148 && (v->dwOSVersionInfoSize != 156 || Nt() < 0x500),
                "GetVersionExA: structure size", v->dwOSVersionInfoSize)),
    CHECKED(RegisterClassExA, 0, (const WNDCLASSEXA* c),
            Refused(c->cbSize != 48, "RegisterClassExA: structure size", c->cbSize)),
    CHECKED(CreateProcessA, 0,
            (auto, auto, auto, auto, BOOL, DWORD, auto, auto, STARTUPINFOA* s, auto),
            Refused(s->cb != 68, "CreateProcessA: STARTUPINFOA size", s->cb)),
    // No check: counts the timer messages the program's own loop hands out.
    CHECKED(DispatchMessageA, 0, (const MSG* m), (g_timerMessages += m->message == WM_TIMER) < 0),
    CHECKED(CreateThread, 0, (auto, SIZE_T, auto, auto, DWORD, DWORD* id),
            Refused(Nt() == 0 && id == NULL, "CreateThread: thread id pointer", 0)),
    CHECKED(LockFile, 0, (HANDLE file, DWORD, DWORD, DWORD, DWORD), Lock("lock", file)),
    CHECKED(UnlockFile, 0, (HANDLE file, DWORD, DWORD, DWORD, DWORD), Lock("unlock", file)),
};

} // namespace

// Loaded into the program once its imports are bound (the tests load it
// without calling this, for its hooks): points the program's slots of the
// checked calls here.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    OSVERSIONINFOA version = {sizeof version, 0, 0, 0, 0, ""};
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    if (!GetVersionExA(&version) || !GetEnvironmentVariableA("QVTEST_REFUSED", g_record, MAX_PATH))
        return FALSE;
    fclose(fopen(g_record, "w")); // it ran
    g_version = version.dwMajorVersion << 8 | version.dwMinorVersion |
                (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) << 16;
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(NULL));
    IMAGE_NT_HEADERS* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    IMAGE_IMPORT_DESCRIPTOR* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (DWORD was; library->Name != 0; ++library)
        for (const auto& checked : kChecked)
            for (void **slot = (void**)(base + library->FirstThunk),
                      *real = (void*)GetProcAddress(GetModuleHandleA((char*)base + library->Name),
                                                    checked.name);
                 *slot != NULL; ++slot)
                if (*slot == real && VirtualProtect(slot, 4, PAGE_READWRITE, &was))
                    *slot = checked.checked;
    return TRUE;
}

// A hook (WH_CALLWNDPROC) of the interactive tests, acting the moment the
// program's thread creates a window, ahead of any timer message, however
// slowly the machine runs. It tells the test's thread (QVTEST_THREAD), as
// WM_APP with the tick count, of the splash window (lParam 0; before it starts
// its timer) and of each dialog (lParam 1 and the timer messages handed out
// before it), and posts the splash window the message QVTEST_SPLASH_MESSAGE
// names: a stray timer message that comes long before the timer's own, say.
extern "C" __declspec(dllexport) LRESULT CALLBACK OnCreate(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    char name[16] = "";
    if (code == HC_ACTION && call->message == WM_CREATE)
        GetClassNameA(call->hwnd, name, sizeof name);
    bool splash = lstrcmpA(name, "uninstal") == 0, dialog = lstrcmpA(name, "#32770") == 0;
    if (splash || dialog)
        PostThreadMessageA(strtoul(getenv("QVTEST_THREAD"), NULL, 10), WM_APP, GetTickCount(),
                           dialog ? 1 + g_timerMessages : 0);
    if (splash)
        PostMessageA(call->hwnd, atoi(getenv("QVTEST_SPLASH_MESSAGE")), 1, 0);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

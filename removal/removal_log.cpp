#include "removal_log.h"

#include <windows.h>

namespace {

// The log file named by QVUNINST_LOG; empty when there is none.
char g_logPath[MAX_PATH];

// A line longer than this is cut short; the line end always fits.
const int kLineSize = 3072;

// Another run may hold the file for one line: wait for it a little, never
// for long.
const int kOpenAttempts = 50;
const DWORD kOpenRetryMs = 20;

HANDLE OpenForOneLine() {
    for (int attempt = 0;; ++attempt) {
        // Not shared: no other run writes while this line goes in.
        HANDLE file = CreateFileA(g_logPath, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
            attempt + 1 == kOpenAttempts)
            return file;
        Sleep(kOpenRetryMs);
    }
}

} // namespace

void OpenRemovalLog() {
    DWORD length = GetEnvironmentVariableA("QVUNINST_LOG", g_logPath, sizeof g_logPath);
    if (length == 0 || length >= sizeof g_logPath)
        g_logPath[0] = '\0';
}

void LogEvent(const char* a, const char* b, const char* c, const char* d, const char* e,
              const char* f, const char* g) {
    if (g_logPath[0] == '\0')
        return;
    char line[kLineSize];
    SYSTEMTIME now;
    GetLocalTime(&now);
    int length = wsprintfA(line, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay,
                           now.wHour, now.wMinute, now.wSecond);
    const char* parts[] = {a, b, c, d, e, f, g};
    for (const char* part : parts) {
        while (*part != '\0' && length < kLineSize - 2)
            line[length++] = *part++;
    }
    line[length++] = '\r';
    line[length++] = '\n';

    HANDLE file = OpenForOneLine();
    if (file == INVALID_HANDLE_VALUE) {
        // Held by someone else for longer than a line takes: the rest of
        // the run goes without the log rather than wait for it again.
        if (GetLastError() == ERROR_SHARING_VIOLATION)
            g_logPath[0] = '\0';
        return;
    }
    DWORD written;
    if (SetFilePointer(file, 0, NULL, FILE_END) != INVALID_SET_FILE_POINTER)
        WriteFile(file, line, static_cast<DWORD>(length), &written, NULL);
    FlushFileBuffers(file);
    CloseHandle(file);
}

const char* DecimalText(unsigned long number, char* digits) {
    wsprintfA(digits, "%lu", number);
    return digits;
}

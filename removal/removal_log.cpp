#include "removal_log.h"

#include <windows.h>

namespace {

// The log file named by QVUNINST_LOG; empty when there is none.
char g_logPath[MAX_PATH];

// A line longer than this is cut short; the line end always fits.
const int kLogLineSize = 3072;

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

// Its text has no NUL.
struct LogLine {
    char text[kLogLineSize];
    int length;
};

namespace {

// Adds text as it is, up to the room left before the line end.
void Append(LogLine* line, const char* text) {
    if (line == NULL)
        return;
    while (*text != '\0' && line->length < kLogLineSize - 2)
        line->text[line->length++] = *text++;
}

} // namespace

void OpenRemovalLog() {
    DWORD length = GetEnvironmentVariableA("QVUNINST_LOG", g_logPath, sizeof g_logPath);
    if (length == 0 || length >= sizeof g_logPath)
        g_logPath[0] = '\0';
}

LogLine* StartLogLine() {
    if (g_logPath[0] == '\0')
        return NULL;
    // Off the stack: beside the callers' own buffers it would make frames
    // larger than a page, which need the runtime's stack probe.
    LogLine* line = static_cast<LogLine*>(HeapAlloc(GetProcessHeap(), 0, sizeof(LogLine)));
    if (line == NULL)
        return NULL;
    SYSTEMTIME now;
    GetLocalTime(&now);
    line->length = wsprintfA(line->text, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
                             now.wDay, now.wHour, now.wMinute, now.wSecond);
    return line;
}

void LogText(LogLine* line, const char* text) {
    Append(line, text);
}

void LogNumber(LogLine* line, unsigned long number) {
    char digits[12];
    wsprintfA(digits, "%lu", number);
    Append(line, digits);
}

void LogName(LogLine* line, const char* name) {
    Append(line, name);
}

void WriteLogLine(LogLine* line) {
    if (line == NULL)
        return;
    line->text[line->length++] = '\r';
    line->text[line->length++] = '\n';
    HANDLE file = OpenForOneLine();
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written;
        if (SetFilePointer(file, 0, NULL, FILE_END) != INVALID_SET_FILE_POINTER)
            WriteFile(file, line->text, static_cast<DWORD>(line->length), &written, NULL);
        FlushFileBuffers(file);
        CloseHandle(file);
    } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
        // Held by someone else for longer than a line takes: the rest of
        // the run goes without the log rather than wait for it again.
        g_logPath[0] = '\0';
    }
    HeapFree(GetProcessHeap(), 0, line);
}

void LogEvent(const char* text) {
    LogLine* line = StartLogLine();
    LogText(line, text);
    WriteLogLine(line);
}

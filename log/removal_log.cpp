#include "removal_log.h"

#include <windows.h>

#include "../base/text.h"

namespace {

// The log file named by QVUNINST_LOG; empty when there is none.
char g_logPath[MAX_PATH];

// What follows each line's time: " <machine> qvuninst[<process id>]: ", so
// that the lines of many machines and runs in one file can be told apart.
char g_linePrefix[48];

// Room for the longest line the log writes whole: the start line with the
// 999 bytes of the tail that counts, every one escaped to four. A longer line
// is cut short; the line end always fits.
const int kLogLineSize = 4 * 999 + 320;

// Another run may hold the file, or its lock, for one line: wait for it a
// little, never for long.
const int kAttempts = 50;
const DWORD kRetryMs = 20;

// The byte each run locks while it appends a line: far beyond the end of
// any real log, so that readers are never in its way, and below 2 GB for
// every file system and network server.
const DWORD kLockOffset = 0x40000000;

// Waits a little while the error says that another holds the file.
bool RetryAfter(DWORD error, int attempt) {
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
        attempt + 1 == kAttempts)
        return false;
    Sleep(kRetryMs);
    return true;
}

HANDLE OpenForOneLine() {
    for (int attempt = 0;; ++attempt) {
        // Shared: readers, and the writers of other runs, may keep it open.
        HANDLE file = CreateFileA(g_logPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE || !RetryAfter(GetLastError(), attempt))
            return file;
    }
}

// Takes the append lock, so that runs appending at the same moment (from
// several machines) each find the end after the line before and write a
// whole line. False when another holds it for longer than a line takes, or
// when the file system has no locks: the line goes in without it.
bool LockForOneLine(HANDLE file) {
    for (int attempt = 0;; ++attempt) {
        if (LockFile(file, kLockOffset, 0, 1, 0))
            return true;
        if (!RetryAfter(GetLastError(), attempt))
            return false;
    }
}

} // namespace

// Its text has no NUL.
struct LogLine {
    char text[kLogLineSize];
    int length;
};

namespace {

// Adds text as it is, up to the room left before the line end; with whole,
// all of it or nothing.
void Append(LogLine* line, const char* text, bool whole = false) {
    if (line == NULL || (whole && line->length + TextLength(text) > kLogLineSize - 2))
        return;
    while (*text != '\0' && line->length < kLogLineSize - 2)
        line->text[line->length++] = *text++;
}

// Whether a byte is written as an escape: the control characters.
bool IsEscaped(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

} // namespace

void OpenRemovalLog() {
    DWORD length = GetEnvironmentVariableA("QVUNINST_LOG", g_logPath, sizeof g_logPath);
    if (length == 0 || length >= sizeof g_logPath)
        g_logPath[0] = '\0';
    char machine[MAX_COMPUTERNAME_LENGTH + 1];
    length = sizeof machine;
    if (!GetComputerNameA(machine, &length) || length == 0 || length >= sizeof machine)
        CopyText(machine, sizeof machine, "-");
    // One field of one line, whatever the name holds.
    for (char* p = machine; *p != '\0'; ++p) {
        if (static_cast<unsigned char>(*p) <= ' ' || *p == 0x7F)
            *p = '_';
    }
    wsprintfA(g_linePrefix, " %s qvuninst[%lu]: ", machine, GetCurrentProcessId());
}

LogLine* StartLogLine() {
    if (g_logPath[0] == '\0')
        return NULL;
    // Off the stack: beside the callers' own buffers it would make frames
    // larger than a page, which need a stack probe the program does not have.
    LogLine* line = static_cast<LogLine*>(HeapAlloc(GetProcessHeap(), 0, sizeof(LogLine)));
    if (line == NULL)
        return NULL;
    SYSTEMTIME now;
    GetLocalTime(&now);
    line->length = wsprintfA(line->text, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
                             now.wDay, now.wHour, now.wMinute, now.wSecond);
    // The offset from UTC in force now, daylight saving time included.
    TIME_ZONE_INFORMATION zone;
    DWORD kind = GetTimeZoneInformation(&zone);
    long offset =
        -(zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias));
    if (kind == TIME_ZONE_ID_INVALID) {
        Append(line, "-");
    } else {
        long minutes = offset < 0 ? -offset : offset;
        line->length += wsprintfA(line->text + line->length, "%c%02ld%02ld", offset < 0 ? '-' : '+',
                                  minutes / 60, minutes % 60);
    }
    Append(line, g_linePrefix);
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

// Control characters are written as \r, \n, \t or \xNN (two upper-case hex
// digits), so that a line is always one event. A backslash stays single,
// as paths are full of them, except where it stands before r, n, t, x,
// another backslash or a control character: there it is doubled.
void LogName(LogLine* line, const char* name) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p != '\0'; ++p) {
        char piece[5] = {static_cast<char>(*p), '\0'};
        unsigned char next = p[1];
        if (*p == '\\' && (next == 'r' || next == 'n' || next == 't' || next == 'x' ||
                           next == '\\' || IsEscaped(next)))
            piece[1] = '\\';
        else if (*p == '\r' || *p == '\n' || *p == '\t')
            wsprintfA(piece, "\\%c", *p == '\r' ? 'r' : *p == '\n' ? 'n' : 't');
        else if (IsEscaped(*p))
            wsprintfA(piece, "\\x%02X", *p);
        Append(line, piece, true);
    }
}

void WriteLogLine(LogLine* line) {
    if (line == NULL)
        return;
    line->text[line->length++] = '\r';
    line->text[line->length++] = '\n';
    HANDLE file = OpenForOneLine();
    if (file != INVALID_HANDLE_VALUE) {
        bool locked = LockForOneLine(file);
        DWORD end = SetFilePointer(file, 0, NULL, FILE_END);
        DWORD length = static_cast<DWORD>(line->length), written;
        if (end != INVALID_SET_FILE_POINTER &&
            (!WriteFile(file, line->text, length, &written, NULL) || written != length) && locked) {
            // A line that did not fit (a full disk) goes whole: the next one
            // must not be appended to a piece of it. Only under the lock:
            // without it, another run's line may already follow the piece.
            SetFilePointer(file, static_cast<LONG>(end), NULL, FILE_BEGIN);
            SetEndOfFile(file);
        }
        FlushFileBuffers(file);
        if (locked)
            UnlockFile(file, kLockOffset, 0, 1, 0);
        CloseHandle(file);
    } else {
        // No such directory, no right to write, or held by someone else
        // for longer than a line takes: the rest of the run goes without
        // the log rather than try again for every line.
        g_logPath[0] = '\0';
    }
    HeapFree(GetProcessHeap(), 0, line);
}

void LogEvent(const char* text) {
    LogLine* line = StartLogLine();
    LogText(line, text);
    WriteLogLine(line);
}

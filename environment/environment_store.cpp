#include "environment_store.h"

#include "batch_rewrite.h"
#include "entry_removal.h"
#include "../base/text.h"
#include "../registration/registration.h"
#include "../log/removal_log.h"

const char EnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

namespace {

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (ToAsciiUpper(*a) != ToAsciiUpper(*b))
            return false;
    }
    return *a == *b;
}

// Path on the 95/98 family lives in the start-up batch file.
bool IsBatchFileVariable(const char* name, DWORD platformId) {
    return platformId == VER_PLATFORM_WIN32_WINDOWS && EqualsIgnoringAsciiCase(name, "Path");
}

// The registry's texts are UTF-16 on the NT family, ANSI on 95/98.
bool HoldsUnicode(DWORD platformId) {
    return platformId != VER_PLATFORM_WIN32_WINDOWS;
}

// The variable names the cleanup uses, as the UTF-16 calls take them.
const char16_t* WideName(const char* name) {
    return SameText(name, "Path") ? u"Path" : SameText(name, "CLASSPATH") ? u"CLASSPATH" : NULL;
}

// Opens the key for the variable name; says in the log why it could not.
HKEY OpenEnvironmentKey(const char* name) {
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, EnvironmentKey, 0, KEY_ALL_ACCESS, &key);
    if (status == ERROR_SUCCESS)
        return key;
    LogLine* line = StartLogLine();
    LogText(line, name);
    LogText(line, ": the key of the machine's environment could not be opened (error ");
    LogNumber(line, static_cast<unsigned long>(status));
    LogText(line, ")");
    WriteLogLine(line);
    return NULL;
}

// What a finished query's status and the value's type say before its text
// is looked at: kValueRead when the text is to be looked at.
EnvironmentRead QueryOutcome(LONG status, DWORD type) {
    if (status == ERROR_MORE_DATA)
        return kValueTooLong;
    if (status != ERROR_SUCCESS)
        return kValueMissing;
    return type == REG_SZ || type == REG_EXPAND_SZ ? kValueRead : kValueNotText;
}

// Reads the value as UTF-16 and hands it out as UTF-8.
EnvironmentRead ReadWide(HKEY key, const char16_t* name, char* text, DWORD* type) {
    char16_t wide[kEnvironmentValueLength + 1];
    DWORD bytes = sizeof wide;
    LONG status = QueryValueWide(key, name, type, wide, &bytes);
    EnvironmentRead outcome = QueryOutcome(status, *type);
    if (outcome != kValueRead)
        return outcome;
    DWORD units = bytes / sizeof wide[0];
    DWORD length = 0;
    while (length < units && wide[length] != 0)
        ++length;
    if (length > kEnvironmentValueLength)
        return kValueTooLong;
    // Text after a NUL inside the value would be lost by a write.
    for (DWORD i = length; i < units; ++i) {
        if (wide[i] != 0)
            return kValueNotText;
    }
    if (length == 0)
        return kValueEmpty;
    return WideToBytes(wide, length, text, kEnvironmentTextSize) >= 0 ? kValueRead : kValueTooLong;
}

EnvironmentRead ReadAnsi(HKEY key, const char* name, char* text, DWORD* type) {
    DWORD length = kEnvironmentValueLength + 1;
    LONG status = RegQueryValueExA(key, name, NULL, type, reinterpret_cast<BYTE*>(text), &length);
    EnvironmentRead outcome = QueryOutcome(status, *type);
    if (outcome != kValueRead)
        return outcome;
    const char* end = FindByte(text, length, '\0');
    if (end == NULL) {
        if (length > kEnvironmentValueLength)
            return kValueTooLong;
        text[length] = '\0';
    }
    // Text after a NUL inside the value would be lost by a write.
    for (const char* p = end; p != NULL && p < text + length; ++p) {
        if (*p != '\0')
            return kValueNotText;
    }
    return text[0] != '\0' ? kValueRead : kValueEmpty;
}

bool WriteRegistry(const char* name, const char* text, DWORD type, DWORD platformId) {
    HKEY key = OpenEnvironmentKey(name);
    if (key == NULL)
        return false;
    LONG status = ERROR_INVALID_DATA;
    if (HoldsUnicode(platformId)) {
        char16_t wide[kEnvironmentValueLength + 1];
        long length = BytesToWide(text, wide, kEnvironmentValueLength + 1);
        const char16_t* wideName = WideName(name);
        if (length >= 0 && wideName != NULL)
            status = SetValueWide(key, wideName, type, wide,
                                  static_cast<DWORD>(length + 1) * sizeof wide[0]);
    } else {
        status = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text),
                                static_cast<DWORD>(TextLength(text)) + 1);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// The old and the new start-up batch file.
struct BatchFiles {
    HANDLE in;
    HANDLE out;
};

long ReadFromFile(void* files, char* buffer, size_t size) {
    DWORD read;
    if (!ReadFile(static_cast<BatchFiles*>(files)->in, buffer, static_cast<DWORD>(size), &read,
                  NULL))
        return -1;
    return static_cast<long>(read);
}

bool WriteToFile(void* files, const char* data, size_t size) {
    DWORD written;
    return WriteFile(static_cast<BatchFiles*>(files)->out, data, static_cast<DWORD>(size), &written,
                     NULL) &&
           written == size;
}

void CloseFile(HANDLE file) {
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

unsigned long AttributesOnDisk(void*, const char* name) {
    return GetFileAttributesA(name);
}

bool SetAttributesOnDisk(void*, const char* name, unsigned long attributes) {
    return SetFileAttributesA(name, attributes) != FALSE;
}

bool MoveOnDisk(void*, const char* from, const char* to) {
    return MoveFileA(from, to) != FALSE;
}

bool RemoveFromDisk(void*, const char* name) {
    SetFileAttributesA(name, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(name) != FALSE;
}

const BatchFileOperations kDisk = {NULL, AttributesOnDisk, SetAttributesOnDisk, MoveOnDisk,
                                   RemoveFromDisk};

// Rewrites c:\autoexec.bat into c:\aut0exec.qvs, which then takes its place,
// only when the whole file went through without an error and a line
// changed. Returns whether c:\autoexec.bat was changed.
bool RewriteBatchFileFor(const char* dir) {
    BatchFiles files;
    files.in = CreateFileA(kBatchFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    // Never over a file this run did not make: one there now may be the
    // only whole copy of the start-up file.
    files.out =
        CreateFileA(kNewBatchFile, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    BatchRewriteWork* work =
        static_cast<BatchRewriteWork*>(HeapAlloc(GetProcessHeap(), 0, sizeof(BatchRewriteWork)));
    bool complete = false;
    size_t changedLines = 0;
    if (files.in != INVALID_HANDLE_VALUE && files.out != INVALID_HANDLE_VALUE && work != NULL) {
        BatchFileStreams streams = {&files, ReadFromFile, WriteToFile};
        // On the disk before it can take the old file's place.
        complete = RewriteBatchFile(streams, dir, work, &changedLines) &&
                   FlushFileBuffers(files.out) != FALSE;
    }
    if (work != NULL)
        HeapFree(GetProcessHeap(), 0, work);
    CloseFile(files.in);
    CloseFile(files.out);

    BatchReplace replaced = kBatchFileUnchanged;
    const char* unchanged = files.in == INVALID_HANDLE_VALUE    ? "it cannot be opened"
                            : files.out == INVALID_HANDLE_VALUE ? "c:\\aut0exec.qvs cannot be made"
                            : !complete
                                ? "a read or write error while copying it to c:\\aut0exec.qvs"
                            : changedLines == 0 ? "no line starts with SET PATH="
                                                : NULL;
    LogLine* line = StartLogLine();
    if (unchanged != NULL) {
        LogText(line, "Path: c:\\autoexec.bat left unchanged: ");
        LogText(line, unchanged);
        if (complete) {
            LogName(line, dir);
            LogText(line, "\\BIN;\"%PATH%\"");
        }
    } else {
        replaced = ReplaceBatchFile(kDisk);
        LogText(line, "Path: c:\\autoexec.bat: cut \"");
        LogName(line, dir);
        LogText(line, "\\BIN;\" from ");
        LogNumber(line, static_cast<unsigned long>(changedLines));
        LogText(line, changedLines == 1 ? " line" : " lines");
        if (replaced == kBatchFileUnchanged)
            LogText(line, ", but putting c:\\aut0exec.qvs in its place FAILED: it is unchanged");
        else if (replaced == kBatchFileMissing)
            LogText(line, ", but the renames FAILED half-way: the old file is kept as "
                          "c:\\aut0exec.qvo and goes back at the next start of this program");
    }
    WriteLogLine(line);
    // Only the file this run made, and only while the old one is in place.
    if (files.out != INVALID_HANDLE_VALUE && replaced == kBatchFileUnchanged)
        RemoveFromDisk(NULL, kNewBatchFile);
    return replaced == kBatchFileReplaced;
}

} // namespace

EnvironmentRead ReadEnvironmentValue(const char* name, DWORD platformId,
                                     char text[kEnvironmentTextSize], DWORD* type) {
    text[0] = '\0';
    *type = REG_SZ;
    if (IsBatchFileVariable(name, platformId)) {
        char dir[kInstallDirectorySize];
        ReadInstallDirectory(dir);
        BuildPathLine(dir, text, kEnvironmentTextSize);
        return kValueRead;
    }
    HKEY key = OpenEnvironmentKey(name);
    if (key == NULL)
        return kKeyNotOpened;
    const char16_t* wideName = WideName(name);
    EnvironmentRead read = HoldsUnicode(platformId) && wideName != NULL
                               ? ReadWide(key, wideName, text, type)
                               : ReadAnsi(key, name, text, type);
    RegCloseKey(key);
    if (read != kValueRead)
        text[0] = '\0';
    return read;
}

bool WriteEnvironmentValue(const char* name, const char* text, DWORD platformId, DWORD readType) {
    if (IsBatchFileVariable(name, platformId)) {
        char dir[kInstallDirectorySize];
        if (ReadInstallDirectory(dir) && dir[0] != '\0')
            return RewriteBatchFileFor(dir);
        LogEvent("Path: c:\\autoexec.bat left unchanged: no install directory");
        return false;
    }
    DWORD type = SameText(name, "Path") || readType == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ;
    return WriteRegistry(name, text, type, platformId);
}

void RecoverBatchFileLeftovers(DWORD platformId) {
    if (platformId != VER_PLATFORM_WIN32_WINDOWS)
        return;
    // What each of BatchLeftovers logs, in its order; nothing for no leftovers.
    static const char* const kDecisions[] = {
        NULL,
        "deleting c:\\aut0exec.qvs, left by an earlier run",
        "no c:\\autoexec.bat: keeping c:\\aut0exec.qvs, which may be the only whole copy",
        "a replace was cut short before the new file took its place: putting "
        "c:\\aut0exec.qvo back as c:\\autoexec.bat",
        "a replace was cut short after the new file took its place: deleting c:\\aut0exec.qvo",
        "c:\\autoexec.bat was written since a replace was cut short: keeping c:\\aut0exec.qvo "
        "and c:\\aut0exec.qvs",
    };
    bool done;
    BatchLeftovers found = RecoverBatchFile(kDisk, &done);
    if (kDecisions[found] == NULL)
        return;
    LogLine* line = StartLogLine();
    LogText(line, "start-up file: ");
    LogText(line, kDecisions[found]);
    if (!done)
        LogText(line, ": FAILED, nothing changed");
    WriteLogLine(line);
}

#include "environment_store.h"

#include "batch_rewrite.h"
#include "entry_removal.h"
#include "../removal/registration.h"

#include <stdio.h>
#include <string.h>

const char EnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

namespace {

const char kBatchFile[] = "c:\\autoexec.bat";
const char kTemporaryFile[] = "c:\\aut0exec.qvs";

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

// Rewrites c:\autoexec.bat into the temporary file and copies that back
// only when the whole file went through without an error.
void RewriteBatchFileFor(const char* dir) {
    FILE* in = fopen(kBatchFile, "rb");
    FILE* out = fopen(kTemporaryFile, "w+b");
    bool complete = in != NULL && out != NULL && RewriteBatchFile(in, out, dir);
    if (in != NULL)
        fclose(in);
    if (out != NULL && fclose(out) != 0)
        complete = false;
    if (complete)
        CopyFileA(kTemporaryFile, kBatchFile, FALSE);
}

} // namespace

bool ReadEnvironmentValue(const char* name, DWORD platformId, char text[kEnvironmentValueSize],
                          DWORD* type) {
    *type = REG_SZ;
    if (IsBatchFileVariable(name, platformId)) {
        char dir[kInstallDirectorySize];
        ReadInstallDirectory(dir);
        BuildPathLine(dir, text, kEnvironmentValueSize);
        return true;
    }
    text[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EnvironmentKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    bool read = ReadRegistryText(key, name, text, kEnvironmentValueSize, type) && text[0] != '\0';
    RegCloseKey(key);
    if (!read)
        text[0] = '\0';
    return read;
}

bool WriteEnvironmentValue(const char* name, const char* text, DWORD platformId, DWORD readType) {
    if (IsBatchFileVariable(name, platformId)) {
        char dir[kInstallDirectorySize];
        if (ReadInstallDirectory(dir) && dir[0] != '\0')
            RewriteBatchFileFor(dir);
        DeleteFileA(kTemporaryFile);
        return true;
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EnvironmentKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = strcmp(name, "Path") == 0 || readType == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ;
    DWORD size = static_cast<DWORD>(strlen(text)) + 1;
    bool written = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text), size) ==
                   ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

#include "clean_environment.h"

#include "entry_removal.h"
#include "environment_store.h"
#include "../removal/registration.h"

#include <stdio.h>
#include <string.h>

namespace {

// The longest entry: a 255-character directory twice, with both archives.
const size_t kEntrySize = 2 * 255 + 19 + 19 + 1;

// Reads the variable, cuts entry out and stores the result, even when
// nothing was cut. A variable that cannot be read is not written.
void CleanVariable(const char* variable, DWORD platformId, const char* entry) {
    char text[kEnvironmentValueSize];
    DWORD type;
    if (!ReadEnvironmentValue(variable, platformId, text, &type))
        return;
    RemoveFirstOccurrence(text, entry);
    WriteEnvironmentValue(variable, text, platformId, type);
}

} // namespace

void CleanEnvironment(const char* name) {
    if (strcmp(name, "ClientBase") != 0)
        return;
    char dir[kInstallDirectorySize];
    if (!ReadInstallDirectory(dir) || dir[0] == '\0')
        return;

    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);

    // CLASSPATH lives in the registry on every system, so its passes always
    // go to the store as the NT family.
    const DWORD kRegistryPlatform = VER_PLATFORM_WIN32_NT;
    char entry[kEntrySize];
    snprintf(entry, sizeof entry, "%s\\BIN;", dir);
    CleanVariable("Path", version.dwPlatformId, entry);
    snprintf(entry, sizeof entry, "%s\\wkdocs\\wkdocs.zip;%s\\wkdocs\\aqvxsg.zip;", dir, dir);
    CleanVariable("CLASSPATH", kRegistryPlatform, entry);
    snprintf(entry, sizeof entry, "%s\\java\\lib;", dir);
    CleanVariable("CLASSPATH", kRegistryPlatform, entry);
}

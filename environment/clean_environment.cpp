#include "clean_environment.h"

#include "entry_removal.h"
#include "environment_store.h"
#include "../base/text.h"
#include "../registration/registration.h"
#include "../log/removal_log.h"

namespace {

// What follows the install directory in each entry.
const char kBinSuffix[] = "\\BIN;";
const char kArchiveSuffix[] = "\\wkdocs\\wkdocs.zip;";
const char kSecondArchiveSuffix[] = "\\wkdocs\\aqvxsg.zip;";
const char kClassesSuffix[] = "\\java\\lib;";

// The longest entry: the directory twice, with both archives.
const size_t kEntrySize =
    2 * (kInstallDirectoryBytes - 1) + (sizeof kArchiveSuffix - 1) + sizeof kSecondArchiveSuffix;
static_assert(sizeof kBinSuffix < sizeof kArchiveSuffix &&
                  sizeof kClassesSuffix < sizeof kArchiveSuffix,
              "the archives make the longest entry");

// Why a value was left alone, in the log's words; null when the store has
// said it.
const char* ReasonLeftAlone(EnvironmentRead read) {
    switch (read) {
    case kKeyNotOpened:
        return NULL;
    case kValueMissing:
        return "left alone: it does not exist";
    case kValueEmpty:
        return "left alone: it is empty";
    case kValueTooLong:
        return "left alone: it is longer than 511 characters";
    default:
        return "left alone: it is not plain text (REG_SZ or REG_EXPAND_SZ)";
    }
}

// Begins a log line about variable.
LogLine* StartVariableLine(const char* variable) {
    LogLine* line = StartLogLine();
    LogText(line, variable);
    LogText(line, ": ");
    return line;
}

// Reads the variable, cuts entry out and stores the result. Only a value
// that really lost an entry is written back: one with nothing to cut keeps
// its bytes and its type. Returns whether a value was written.
bool CleanVariable(const char* variable, DWORD platformId, const char* entry) {
    char text[kEnvironmentTextSize];
    DWORD type;
    EnvironmentRead read = ReadEnvironmentValue(variable, platformId, text, &type);
    if (read != kValueRead) {
        if (ReasonLeftAlone(read) != NULL) {
            LogLine* line = StartVariableLine(variable);
            LogText(line, ReasonLeftAlone(read));
            WriteLogLine(line);
        }
        return false;
    }
    if (!RemoveFirstOccurrence(text, entry)) {
        LogLine* line = StartVariableLine(variable);
        LogText(line, "nothing to cut (\"");
        LogName(line, entry);
        LogText(line, "\" not found)");
        WriteLogLine(line);
        return false;
    }
    bool written = WriteEnvironmentValue(variable, text, platformId, type);
    // The batch file's rewrite says itself what it did.
    if (platformId == VER_PLATFORM_WIN32_WINDOWS && SameText(variable, "Path"))
        return written;
    LogLine* line = StartVariableLine(variable);
    LogText(line, "cut \"");
    LogName(line, entry);
    LogText(line,
            written ? "\", written back" : "\", but the write FAILED: the value is unchanged");
    WriteLogLine(line);
    return written;
}

// entry = dir + suffix (+ dir + secondSuffix when that is given). An entry
// that does not fit is left empty, never cut short: a part of an entry
// could match a part of another, and an empty entry cuts nothing.
void BuildEntry(char* entry, const char* dir, const char* suffix, const char* secondSuffix) {
    entry[0] = '\0';
    bool built = AppendText(entry, kEntrySize, dir) && AppendText(entry, kEntrySize, suffix) &&
                 (secondSuffix == NULL || (AppendText(entry, kEntrySize, dir) &&
                                           AppendText(entry, kEntrySize, secondSuffix)));
    if (!built)
        entry[0] = '\0';
}

} // namespace

void CleanEnvironment(const char* name) {
    if (!IsBaseComponent(name))
        return;
    // The family is decided here, once, and handed down to the store.
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    DWORD platformId = version.dwPlatformId;

    // Entries are cut out of the texts the store hands out: UTF-8 where the
    // registry holds UTF-16, so the directory is read the same way.
    char dir[kInstallDirectoryBytes];
    bool read = platformId != VER_PLATFORM_WIN32_WINDOWS ? ReadInstallDirectoryUtf8(dir)
                                                         : ReadInstallDirectory(dir);
    if (!read || dir[0] == '\0') {
        LogEvent("cleanup: no install directory (FilePath missing, empty or unreadable): Path and "
                 "CLASSPATH left alone");
        return;
    }
    LogLine* line = StartLogLine();
    LogText(line, "cleanup: install directory ");
    LogName(line, dir);
    WriteLogLine(line);

    // CLASSPATH lives in the registry on every system: the store keeps only
    // Path in c:\autoexec.bat on the 95/98 family.
    char entry[kEntrySize];
    BuildEntry(entry, dir, kBinSuffix, NULL);
    bool written = CleanVariable("Path", platformId, entry);
    BuildEntry(entry, dir, kArchiveSuffix, kSecondArchiveSuffix);
    written |= CleanVariable("CLASSPATH", platformId, entry);
    BuildEntry(entry, dir, kClassesSuffix, NULL);
    written |= CleanVariable("CLASSPATH", platformId, entry);

    // On the NT family Explorer, and the programs it starts from then on,
    // take the new values once told; on 95/98 nothing reads the environment
    // from the registry (Path takes effect from c:\autoexec.bat at the next
    // start), so nobody is told there. Each top-level window gets up to a
    // second to answer: a live one answers in milliseconds, and one whose
    // thread stopped answering costs that second at most; after five seconds
    // without an answer Windows counts a window hung, and SMTO_ABORTIFHUNG
    // passes it by at once, so however many windows hang, the removal waits
    // for them some six seconds at the very worst.
    if (written && platformId != VER_PLATFORM_WIN32_WINDOWS) {
        DWORD_PTR answer;
        SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                            reinterpret_cast<LPARAM>("Environment"), SMTO_ABORTIFHUNG, 1000,
                            &answer);
        LogEvent("cleanup: running programs told");
    }
}

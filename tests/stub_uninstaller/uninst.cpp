// A stand-in for the product's uninstaller "uninst.exe". It does what the
// real one is relied on for: given -f"<file>", it removes the component
// registered with that file (its registry value) and ends. On the way it
// writes down what it saw, for the tests and the demo:
//
//   QVTEST_RECORD    file to append a record to, one "key value" line each:
//                    start, pid, cmdline, component, Path, CLASSPATH, autoexec,
//                    end (start and end in 100 ns units of system time)
//   QVTEST_SLEEP_MS  how long to run before ending (default 0)
//
// A GUI program without windows, so that starting it shows nothing.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kComponentsKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion\\Components";
const char kEnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

unsigned long long Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// The text between -f" and the next quote of the command line.
void FileArgument(const char* commandLine, char* file, size_t size) {
    file[0] = '\0';
    const char* start = strstr(commandLine, "-f\"");
    if (start == NULL)
        return;
    start += 3;
    const char* end = strchr(start, '"');
    size_t length = end != NULL ? static_cast<size_t>(end - start) : strlen(start);
    if (length >= size)
        length = size - 1;
    memcpy(file, start, length);
    file[length] = '\0';
}

// Deletes the component value whose data is file; its name goes to name.
void RemoveRegisteredComponent(const char* file, char* name, DWORD nameSize) {
    name[0] = '\0';
    HKEY key;
    if (file[0] == '\0' ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kComponentsKey, 0, KEY_ALL_ACCESS, &key) != 0)
        return;
    for (DWORD index = 0;; ++index) {
        char valueName[1024];
        BYTE data[1024];
        DWORD nameLength = sizeof valueName, dataLength = sizeof data - 1;
        LONG status =
            RegEnumValueA(key, index, valueName, &nameLength, NULL, NULL, data, &dataLength);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            break;
        data[dataLength] = '\0';
        if (strcmp(reinterpret_cast<char*>(data), file) == 0) {
            lstrcpynA(name, valueName, nameSize);
            RegDeleteValueA(key, valueName);
            break;
        }
    }
    RegCloseKey(key);
}

// "<type> <text>" of an environment value, or "none".
void RecordEnvironmentValue(FILE* record, const char* name) {
    HKEY key;
    char data[4096];
    DWORD type = 0, length = sizeof data - 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_READ, &key) != 0) {
        fprintf(record, "%s none\n", name);
        return;
    }
    LONG status = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(data), &length);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        fprintf(record, "%s none\n", name);
        return;
    }
    data[length] = '\0';
    fprintf(record, "%s %lu %s\n", name, type, data);
}

// The start-up batch file as hexadecimal bytes, or "none".
void RecordBatchFile(FILE* record) {
    FILE* batch = fopen("c:\\autoexec.bat", "rb");
    if (batch == NULL) {
        fprintf(record, "autoexec none\n");
        return;
    }
    fprintf(record, "autoexec ");
    int c;
    while ((c = getc(batch)) != EOF)
        fprintf(record, "%02x", c);
    fprintf(record, "\n");
    fclose(batch);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    unsigned long long start = Now();
    const char* commandLine = GetCommandLineA();
    char recordPath[MAX_PATH];
    DWORD recordLength = GetEnvironmentVariableA("QVTEST_RECORD", recordPath, sizeof recordPath);
    FILE* record = NULL;
    if (recordLength > 0 && recordLength < sizeof recordPath)
        record = fopen(recordPath, "a");
    if (record != NULL) {
        fprintf(record, "start %llu\npid %lu\ncmdline %s\n", start, GetCurrentProcessId(),
                commandLine);
        RecordEnvironmentValue(record, "Path");
        RecordEnvironmentValue(record, "CLASSPATH");
        RecordBatchFile(record);
        fflush(record);
    }

    char sleep[32];
    if (GetEnvironmentVariableA("QVTEST_SLEEP_MS", sleep, sizeof sleep) > 0)
        Sleep(strtoul(sleep, NULL, 10));

    char file[1024];
    char component[1024];
    FileArgument(commandLine, file, sizeof file);
    RemoveRegisteredComponent(file, component, sizeof component);
    if (record != NULL) {
        fprintf(record, "component %s\nend %llu\n", component, Now());
        fclose(record);
    }
    return 0;
}

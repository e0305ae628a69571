// Sets up and shows the demo installation that "./dev demo" runs the
// program on:
//   demo_installation setup <install directory>
//   demo_installation show
// The setup registers the product with components Alpha, Beta, Gamma and
// ClientBase, puts the product's directories into Path and CLASSPATH (and
// into c:\autoexec.bat, as the installer does on the 95/98 family), and
// creates the files the component values name.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

const char kProductKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion";
const char kComponentsKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion\\Components";
const char kEnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char* const kComponents[] = {"Alpha", "Beta", "Gamma", "ClientBase"};

void SetText(const char* keyPath, const char* name, DWORD type, const std::string& text) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                        NULL) != ERROR_SUCCESS) {
        fprintf(stderr, "cannot open HKLM\\%s\n", keyPath);
        return;
    }
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

bool GetText(const char* keyPath, const char* name, std::string* text, DWORD* type) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char data[4096];
    DWORD length = sizeof data - 1;
    LONG status = RegQueryValueExA(key, name, NULL, type, reinterpret_cast<BYTE*>(data), &length);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    data[length] = '\0';
    *text = data;
    return true;
}

int Setup(const std::string& dir) {
    SetText(kProductKey, "FilePath", REG_SZ, dir);
    std::string uninstallDir = dir + "\\uninst";
    CreateDirectoryA(dir.c_str(), NULL);
    CreateDirectoryA(uninstallDir.c_str(), NULL);
    for (const char* component : kComponents) {
        std::string file = uninstallDir + "\\" + component + ".isu";
        SetText(kComponentsKey, component, REG_SZ, file);
        FILE* log = fopen(file.c_str(), "w");
        if (log != NULL) {
            fprintf(log, "removal log of component %s\n", component);
            fclose(log);
        }
    }
    std::string path;
    DWORD type;
    if (!GetText(kEnvironmentKey, "Path", &path, &type))
        path = "%SystemRoot%\\system32;%SystemRoot%";
    SetText(kEnvironmentKey, "Path", REG_EXPAND_SZ, path + ";" + dir + "\\BIN;C:\\Tools");
    SetText(kEnvironmentKey, "CLASSPATH", REG_EXPAND_SZ,
            ".;%JAVA_HOME%\\lib;" + dir + "\\wkdocs\\wkdocs.zip;" + dir + "\\wkdocs\\aqvxsg.zip;" +
                dir + "\\java\\lib;");
    FILE* batch = fopen("c:\\autoexec.bat", "wb");
    if (batch != NULL) {
        fprintf(batch, "@ECHO OFF\r\nSET PATH=%s\\BIN;\"%%PATH%%\"\r\nSET TEMP=C:\\TEMP\r\n",
                dir.c_str());
        fclose(batch);
    }
    return 0;
}

const char* TypeName(DWORD type) {
    return type == REG_EXPAND_SZ ? "REG_EXPAND_SZ" : type == REG_SZ ? "REG_SZ" : "other type";
}

int Show() {
    std::string text;
    DWORD type;
    printf("  FilePath:   %s\n",
           GetText(kProductKey, "FilePath", &text, &type) ? text.c_str() : "(none)");
    printf("  Components:");
    HKEY key;
    int count = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kComponentsKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        for (DWORD i = 0;; ++i) {
            char name[256];
            BYTE data[1024];
            DWORD nameLength = sizeof name, dataLength = sizeof data - 1;
            if (RegEnumValueA(key, i, name, &nameLength, NULL, NULL, data, &dataLength) !=
                ERROR_SUCCESS)
                break;
            data[dataLength] = '\0';
            printf("%s %s -> %s", count++ == 0 ? "" : "\n             ", name,
                   reinterpret_cast<char*>(data));
        }
        RegCloseKey(key);
    }
    printf("%s\n", count == 0 ? " (none)" : "");
    for (const char* name : {"Path", "CLASSPATH"}) {
        if (GetText(kEnvironmentKey, name, &text, &type))
            printf("  %-11s %s (%s)\n", (std::string(name) + ":").c_str(), text.c_str(),
                   TypeName(type));
        else
            printf("  %-11s (none)\n", (std::string(name) + ":").c_str());
    }
    FILE* batch = fopen("c:\\autoexec.bat", "rb");
    if (batch != NULL) {
        printf("  c:\\autoexec.bat:\n");
        char line[1024];
        while (fgets(line, sizeof line, batch) != NULL) {
            line[strcspn(line, "\r\n")] = '\0';
            printf("      %s\n", line);
        }
        fclose(batch);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "setup") == 0)
        return Setup(argv[2]);
    if (argc == 2 && strcmp(argv[1], "show") == 0)
        return Show();
    fprintf(stderr, "usage: demo_installation setup <dir> | show\n");
    return 2;
}

// What the stub uninstaller writes down and the Wine tests read back.
#pragma once

#include <windows.h>

#include <stdio.h>

#include <string>

// System time in 100 ns units.
inline unsigned long long Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// A file's bytes, or "none" when it cannot be read.
inline std::string FileBytes(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return "none";
    std::string bytes;
    for (int c; (c = getc(file)) != EOF;)
        bytes.push_back(static_cast<char>(c));
    fclose(file);
    return bytes;
}

// Path, CLASSPATH and c:\autoexec.bat as they stand, one line each. A value
// is "none" or its type and its UTF-16 data as UTF-8, less one ending NUL:
// read through the wide registry calls, every character counts.
inline std::string Snapshot() {
    std::string snapshot;
    for (const wchar_t* name : {L"Path", L"CLASSPATH"}) {
        HKEY key;
        wchar_t data[4096];
        DWORD type = 0, size = sizeof data;
        LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                                    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                                    0, KEY_READ, &key);
        if (status == ERROR_SUCCESS) {
            status = RegQueryValueExW(key, name, NULL, &type, reinterpret_cast<BYTE*>(data), &size);
            RegCloseKey(key);
        }
        int units = static_cast<int>(size / 2);
        units -= units > 0 && data[units - 1] == L'\0';
        char text[16384];
        int length = WideCharToMultiByte(CP_UTF8, 0, data, units, text, sizeof text, NULL, NULL);
        snapshot += std::string(name, name + wcslen(name)) + " " +
                    (status != ERROR_SUCCESS ? "none" : std::to_string(type) + " " +
                                                            std::string(text, length)) +
                    "\n";
    }
    return snapshot + "autoexec " + FileBytes("c:\\autoexec.bat");
}

// What the stub uninstaller writes down and the Wine tests read back.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>

const wchar_t kEnvironmentKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// System time in 100 ns units.
inline unsigned long long Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
}

// A file's bytes, or "none" when it cannot be read.
inline std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(file), {});
    return file ? bytes : "none";
}

// Path, CLASSPATH and c:\autoexec.bat as they stand, a line each. A value
// is "none" or its type and its UTF-16 data as UTF-8 less one ending NUL:
// read through the wide registry calls, every character counts.
inline std::string Snapshot() {
    std::string snapshot;
    for (const wchar_t* name : {L"Path", L"CLASSPATH"}) {
        wchar_t data[4096];
        DWORD type, size = sizeof data;
        std::string value = "none";
        if (RegGetValueW(HKEY_LOCAL_MACHINE, kEnvironmentKey, name, RRF_RT_ANY | RRF_NOEXPAND,
                         &type, data, &size) == ERROR_SUCCESS) {
            char text[16384];
            int units = static_cast<int>(size / 2) - (size >= 2 && data[size / 2 - 1] == L'\0');
            value = std::to_string(type) + " " +
                    std::string(text, WideCharToMultiByte(CP_UTF8, 0, data, units, text,
                                                          sizeof text, NULL, NULL));
        }
        snapshot += (name[0] == L'P' ? "Path " : "CLASSPATH ") + value + "\n";
    }
    return snapshot + "autoexec " + FileBytes("c:\\autoexec.bat");
}

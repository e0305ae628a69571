#include "registration.h"

#include <string.h>

const char ProductKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion";
const char ComponentsKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion\\Components";

bool ReadRegistryText(HKEY key, const char* name, char* text, DWORD size, DWORD* type) {
    DWORD valueType = REG_NONE;
    DWORD length = size;
    LONG status =
        RegQueryValueExA(key, name, NULL, &valueType, reinterpret_cast<BYTE*>(text), &length);
    if (type != NULL)
        *type = valueType;
    if (status != ERROR_SUCCESS || length > size) {
        text[0] = '\0';
        return false;
    }
    if (memchr(text, '\0', length) == NULL) {
        if (length == size) {
            text[0] = '\0';
            return false;
        }
        text[length] = '\0';
    }
    return true;
}

void EnumerateComponents(ComponentVisitor visit, void* context) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ComponentsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char name[kComponentNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD length = kComponentNameSize;
        if (RegEnumValueA(key, index, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        name[kComponentNameSize - 1] = '\0';
        visit(name, context);
    }
    RegCloseKey(key);
}

void ReadComponentFile(const char* keyPath, const char* name, char file[kComponentFileSize]) {
    file[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    ReadRegistryText(key, name, file, kComponentFileSize, NULL);
    RegCloseKey(key);
}

bool ReadInstallDirectory(char directory[kInstallDirectorySize]) {
    directory[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    bool read = ReadRegistryText(key, "FilePath", directory, kInstallDirectorySize, NULL);
    RegCloseKey(key);
    return read;
}

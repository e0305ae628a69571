#include "registration.h"

#include "../base/text.h"
#include "../base/wide_text.h"

const char ProductKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion";
const char ComponentsKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion\\Components";

namespace {

typedef LONG(WINAPI* QueryValueW)(HKEY, const char16_t*, DWORD*, DWORD*, BYTE*, DWORD*);
typedef LONG(WINAPI* SetValueW)(HKEY, const char16_t*, DWORD, DWORD, const BYTE*, DWORD);

// FARPROC is no function type of its own: the address goes through void*.
void* FindRegistryCall(const char* name) {
    HMODULE advapi = GetModuleHandleA("ADVAPI32.DLL");
    return advapi != NULL ? reinterpret_cast<void*>(GetProcAddress(advapi, name)) : NULL;
}

} // namespace

bool IsBaseComponent(const char* name) {
    return SameText(name, "ClientBase");
}

LONG QueryValueWide(HKEY key, const char16_t* name, DWORD* type, char16_t* data, DWORD* bytes) {
    QueryValueW query = reinterpret_cast<QueryValueW>(FindRegistryCall("RegQueryValueExW"));
    if (query == NULL)
        return ERROR_CALL_NOT_IMPLEMENTED;
    return query(key, name, NULL, type, reinterpret_cast<BYTE*>(data), bytes);
}

LONG SetValueWide(HKEY key, const char16_t* name, DWORD type, const char16_t* data, DWORD bytes) {
    SetValueW set = reinterpret_cast<SetValueW>(FindRegistryCall("RegSetValueExW"));
    if (set == NULL)
        return ERROR_CALL_NOT_IMPLEMENTED;
    return set(key, name, 0, type, reinterpret_cast<const BYTE*>(data), bytes);
}

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
    if (FindByte(text, length, '\0') == NULL) {
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

bool ReadInstallDirectoryUtf8(char directory[kInstallDirectoryBytes]) {
    directory[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    char16_t wide[kInstallDirectorySize];
    DWORD type = REG_NONE;
    DWORD bytes = sizeof wide;
    LONG status = QueryValueWide(key, u"FilePath", &type, wide, &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    // The text ends at its first NUL; one that fills the buffer without a
    // NUL is too long.
    DWORD units = bytes / sizeof wide[0];
    DWORD length = 0;
    while (length < units && wide[length] != 0)
        ++length;
    if (length == kInstallDirectorySize)
        return false;
    return WideToBytes(wide, length, directory, kInstallDirectoryBytes) >= 0;
}

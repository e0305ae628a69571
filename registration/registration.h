// The product's registration data, written by its installer and only read
// here. Every key lies under HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

#include "../base/wide_text.h"

// Holds FilePath, the product's installation directory.
extern const char ProductKey[];
// One value per installed client component: name = component, data = the
// file its uninstaller is given.
extern const char ComponentsKey[];

// Buffer sizes, NUL included: a registered component name, a component's
// file and the install directory each hold at most 255 characters.
const DWORD kComponentNameSize = 256;
const DWORD kComponentFileSize = 256;
const DWORD kInstallDirectorySize = 256;
// The install directory as UTF-8: 255 UTF-16 units of up to 3 bytes each.
const DWORD kInstallDirectoryBytes = (kInstallDirectorySize - 1) * kBytesPerWideUnit + 1;

// Whether name is the base component, "ClientBase", byte for byte. The
// locale-aware lstrcmpA is not used: it skips characters such as the soft
// hyphen and would take "Client\xADBase" for the base component.
bool IsBaseComponent(const char* name);

typedef void (*ComponentVisitor)(const char* name, void* context);

// Calls visit for each value name under ComponentsKey in the registry's
// index order, up to the first index that cannot be read (a name of 256
// characters or more ends the enumeration there).
void EnumerateComponents(ComponentVisitor visit, void* context);

// The file registered for component name under keyPath. Empty when the key
// or value cannot be read or the value does not fit in 255 characters.
void ReadComponentFile(const char* keyPath, const char* name, char file[kComponentFileSize]);

// FilePath of ProductKey in the ANSI code page; false, with an empty
// directory, when it cannot be read.
bool ReadInstallDirectory(char directory[kInstallDirectorySize]);

// FilePath of ProductKey as UTF-8, read as the NT family stores it, so that
// characters outside the code page survive; false, with an empty directory,
// when it cannot be read or is not text.
bool ReadInstallDirectoryUtf8(char directory[kInstallDirectoryBytes]);

// Reads value name of key as text into a buffer of size bytes, whatever its
// type. The text ends at the first NUL of the data or at its end; data that
// fills the buffer without a NUL is too long. False, with an empty text,
// when the value is missing or too long. *type receives the value's type
// when type is not null.
bool ReadRegistryText(HKEY key, const char* name, char* text, DWORD size, DWORD* type);

// The registry's UTF-16 calls of the NT family, looked up when first used:
// Windows 95 need not have them. ERROR_CALL_NOT_IMPLEMENTED without them.
LONG QueryValueWide(HKEY key, const char16_t* name, DWORD* type, char16_t* data, DWORD* bytes);
LONG SetValueWide(HKEY key, const char16_t* name, DWORD type, const char16_t* data, DWORD bytes);

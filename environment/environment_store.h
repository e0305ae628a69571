// Machine-wide environment variables: registry values under EnvironmentKey,
// except Path on the Windows 95/98 family, which the installer extended with
// a line in c:\autoexec.bat.
#pragma once

#include <windows.h>

extern const char EnvironmentKey[];

// Read limit, NUL included: a longer value is left alone.
const DWORD kEnvironmentValueSize = 512;

// The variable's current text and its registry type. On the 95/98 family
// (platformId 1) Path is the installer's "SET PATH=" line for the install
// directory, and *type is REG_SZ. False, with an empty text, when the value
// is missing, empty or too long, or the key cannot be opened.
bool ReadEnvironmentValue(const char* name, DWORD platformId, char text[kEnvironmentValueSize],
                          DWORD* type);

// Stores text as the variable. In the registry Path is written as
// REG_EXPAND_SZ, any other variable as REG_EXPAND_SZ when readType says it
// was so (its %VAR% references must keep working) and as REG_SZ otherwise.
// On the 95/98 family Path is instead changed in c:\autoexec.bat, through
// the temporary c:\aut0exec.qvs, and text is not used.
bool WriteEnvironmentValue(const char* name, const char* text, DWORD platformId, DWORD readType);

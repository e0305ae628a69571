// Machine-wide environment variables: registry values under EnvironmentKey,
// except Path on the Windows 95/98 family, which the installer extended with
// a line in c:\autoexec.bat.
#pragma once

#include <windows.h>

#include "../base/wide_text.h"

extern const char EnvironmentKey[];

// A value longer than this many characters is left alone.
const DWORD kEnvironmentValueLength = 511;
// The text of a value as the store hands it out: UTF-8 where the registry
// holds UTF-16 (the NT family), the ANSI code page otherwise.
const DWORD kEnvironmentTextSize = kEnvironmentValueLength * kBytesPerWideUnit + 1;

// Every call is given the system's family as platformId (dwPlatformId of
// GetVersionExA), decided once by the caller: 1 is the 95/98 family, whose
// registry holds ANSI text and whose Path lives in c:\autoexec.bat; any
// other value is the NT family, whose registry holds UTF-16.

enum EnvironmentRead {
    kValueRead,
    kValueMissing, // no such value
    kKeyNotOpened, // the key could not be opened; the log says why
    kValueEmpty,
    kValueTooLong,
    kValueNotText, // a type other than REG_SZ and REG_EXPAND_SZ
};

// The variable's current text and its registry type. On the 95/98 family
// (platformId 1) Path is the installer's "SET PATH=" line for the install
// directory, and *type is REG_SZ. Anything but kValueRead leaves an empty
// text, and the value is then left alone.
EnvironmentRead ReadEnvironmentValue(const char* name, DWORD platformId,
                                     char text[kEnvironmentTextSize], DWORD* type);

// Stores text as the variable. In the registry Path is written as
// REG_EXPAND_SZ, any other variable as REG_EXPAND_SZ when readType says it
// was so (its %VAR% references must keep working) and as REG_SZ otherwise.
// On the 95/98 family Path is instead changed in c:\autoexec.bat, through
// the new file c:\aut0exec.qvs that takes its place (the old one is kept as
// c:\aut0exec.qvo meanwhile), and text is not used. Returns whether the
// change was stored; the removal log says what happened.
bool WriteEnvironmentValue(const char* name, const char* text, DWORD platformId, DWORD readType);

// On the 95/98 family, settles what an interrupted replace of
// c:\autoexec.bat left (see RecoverBatchFile), and logs what it decided. Run
// at the start of every run, whatever it removes: a machine cut short
// between the renames has no start-up file until this runs.
void RecoverBatchFileLeftovers(DWORD platformId);

// The command line that the product's uninstaller is started with.
// Plain C++: built for Windows and for the native tests alike.
#pragma once

#include <cstddef>

// Room for a 19-character program name, " -a -f\"", a 255-character file,
// the closing quote and the NUL.
const size_t kUninstallerCommandLineSize = 19 + 7 + 255 + 1 + 1;

// Writes <program> -a -f"<file>" into commandLine. Returns false, with an
// empty commandLine, when it does not fit in size bytes.
bool BuildUninstallerCommandLine(const char* program, const char* file, char* commandLine,
                                 size_t size);

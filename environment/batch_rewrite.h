// The rewrite of the Windows 95/98 start-up batch file that drops the
// product's BIN directory from its "SET PATH=" line.
// Plain C++ and C stdio: built for Windows and for the native tests alike.
#pragma once

#include <cstddef>
#include <cstdio>

// Longest path line: "SET PATH=" + a 255-character directory + "\BIN;" +
// "\"%PATH%\"", with its NUL.
const size_t kPathLineSize = 9 + 255 + 5 + 8 + 1;

// Builds the line the installer wrote for installDir:
// SET PATH=<installDir>\BIN;"%PATH%". Returns its length, or 0 (and an empty
// line) when it does not fit in lineSize bytes.
size_t BuildPathLine(const char* installDir, char* line, size_t lineSize);

// When the first patternLength bytes of line equal pattern, ignoring the
// letter case of A-Z, cuts the cutLength bytes that follow the first 9 ("SET
// PATH=") out of line. Returns the line's new length. The line may hold any
// bytes, NUL included.
size_t RewritePathLine(char* line, size_t length, const char* pattern, size_t patternLength,
                       size_t cutLength);

// Copies in to out byte for byte, except that every line that starts, in
// column 1, with the path line of installDir loses installDir + "\BIN;".
// Only the start of a line is ever compared, however long the line: text
// further on is never taken for a line of its own. Returns false on a read
// or write error (out is then incomplete and must not be used) or when
// installDir is empty or too long.
bool RewriteBatchFile(std::FILE* in, std::FILE* out, const char* installDir);

// The rewrite of the Windows 95/98 start-up batch file that drops the
// product's BIN directory from its "SET PATH=" line.
// Plain C++: built for Windows and for the native tests alike; the bytes
// come and go through the caller's streams.
#pragma once

#include <cstddef>

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

// Where the rewrite takes the old file's bytes from and puts the new file's.
struct BatchFileStreams {
    void* context;
    // Up to size bytes of the old file into buffer: the count, 0 at its end,
    // -1 on a read error.
    long (*read)(void* context, char* buffer, size_t size);
    // Appends size bytes to the new file; false on a write error.
    bool (*write)(void* context, const char* data, size_t size);
};

// The files are read and written in blocks of this size.
const size_t kBatchBlockSize = 65536;

// The rewrite's work area, the caller's to provide.
struct BatchRewriteWork {
    char input[kBatchBlockSize];
    char output[kBatchBlockSize];
};

// Copies the old file to the new one byte for byte, except that every line
// that starts, in column 1, with the path line of installDir loses
// installDir + "\BIN;"; *changedLines receives how many lines did. Only the
// start of a line is ever compared, however long the line: text further on
// is never taken for a line of its own. Returns false on a read or write
// error (the new file is then incomplete and must not be used) or when
// installDir is empty or too long.
bool RewriteBatchFile(const BatchFileStreams& streams, const char* installDir,
                      BatchRewriteWork* work, size_t* changedLines);

// The rewrite of the Windows 95/98 start-up batch file that drops the
// product's BIN directory from its "SET PATH=" line.
// Plain C++: built for Windows and for the native tests alike; the bytes
// come and go through the caller's streams, and the files are renamed and
// deleted through the caller's file operations.
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

// The start-up batch file; the new file the rewrite makes beside it; the old
// file, kept under this name until the new one is in its place.
extern const char kBatchFile[], kNewBatchFile[], kOldBatchFile[];

// The file operations that replace the batch file, each true when done.
struct BatchFileOperations {
    void* context;
    bool (*exists)(void* context, const char* name);
    // Renames a file; fails when the new name is taken.
    bool (*move)(void* context, const char* from, const char* to);
    // Clears the file's attributes (read-only, hidden, system) and deletes it.
    bool (*remove)(void* context, const char* name);
};

// Undoes what an interrupted replace left: the old file goes back in place
// when there is no batch file, and a kept old file beside a batch file is
// deleted.
void RecoverBatchFile(const BatchFileOperations& files);

// Puts the whole new file in place of the batch file by two renames, the
// old file kept until the new one is there: at every instant one of them is
// whole under a known name, and an interruption is undone by
// RecoverBatchFile. A failed rename puts the old file back. Returns whether
// the new file is in place; the new file's name is then free.
bool ReplaceBatchFile(const BatchFileOperations& files);

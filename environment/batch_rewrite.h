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

// The file attributes the replace keeps (read-only, hidden, system) and the
// one it adds: the new file has changed, so it is due for the next backup.
const unsigned long kKeptAttributes = 0x07, kArchiveAttribute = 0x20;
// What attributes() says of a file that is not there.
const unsigned long kNoFile = 0xFFFFFFFF;

// The file operations that replace the batch file, each true when done.
struct BatchFileOperations {
    void* context;
    // The file's attributes, kNoFile when it is not there.
    unsigned long (*attributes)(void* context, const char* name);
    bool (*setAttributes)(void* context, const char* name, unsigned long attributes);
    // Renames a file; fails when the new name is taken.
    bool (*move)(void* context, const char* from, const char* to);
    // Clears the file's attributes (read-only, hidden, system) and deletes it.
    bool (*remove)(void* context, const char* name);
};

// What an earlier run left of a replace, as the three names tell it, and
// what RecoverBatchFile does about it. A step that fails changes nothing,
// and a file that may be the only whole copy of the user's start-up file is
// never deleted.
enum BatchLeftovers {
    kNoLeftovers,           // no replace under way, nothing else there
    kStaleNewFile,          // no replace under way: the new file is deleted
    kOnlyNewFile,           // no batch file and no old one: the new file is kept
    kCutBeforeNewFile,      // the old file goes back in place, then the new one is deleted
    kCutAfterNewFile,       // the new file was in place: the old one is deleted
    kBatchFileWrittenSince, // a new batch file beside both: all are kept
};

// Settles what an interrupted replace left, before anything else of a run.
// *done says whether its step (if any) succeeded.
BatchLeftovers RecoverBatchFile(const BatchFileOperations& files, bool* done);

// How a replace ended.
enum BatchReplace {
    kBatchFileReplaced,  // the new file is in place (its name is free again)
    kBatchFileUnchanged, // the old file is in place, the new one still under its name
    kBatchFileMissing,   // cut between the renames and the old file could not go back:
                         // it is kept under kOldBatchFile, the new one under its name
};

// Puts the whole new file in place of the batch file by two renames, the
// old file kept until the new one is there: at every instant one of them is
// whole under a known name, and an interruption is settled by
// RecoverBatchFile. The new file takes the old one's attributes and the
// archive attribute first, or the replace goes no further. A failed second
// rename puts the old file back.
BatchReplace ReplaceBatchFile(const BatchFileOperations& files);

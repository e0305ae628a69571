#include "batch_rewrite.h"

#include "entry_removal.h"
#include "../base/text.h"

#include <cstring>

namespace {

const char kSetPath[] = "SET PATH=";
const size_t kSetPathLength = sizeof kSetPath - 1;
const char kBinSuffix[] = "\\BIN;";
const char kPathReference[] = "\"%PATH%\"";

} // namespace

const char kBatchFile[] = "c:\\autoexec.bat";
const char kNewBatchFile[] = "c:\\aut0exec.qvs";
const char kOldBatchFile[] = "c:\\aut0exec.qvo";

size_t BuildPathLine(const char* installDir, char* line, size_t lineSize) {
    size_t dirLength = TextLength(installDir);
    size_t length =
        kSetPathLength + dirLength + (sizeof kBinSuffix - 1) + (sizeof kPathReference - 1);
    if (lineSize == 0)
        return 0;
    if (length >= lineSize) {
        line[0] = '\0';
        return 0;
    }
    char* p = line;
    std::memcpy(p, kSetPath, kSetPathLength);
    p += kSetPathLength;
    std::memcpy(p, installDir, dirLength);
    p += dirLength;
    std::memcpy(p, kBinSuffix, sizeof kBinSuffix - 1);
    p += sizeof kBinSuffix - 1;
    std::memcpy(p, kPathReference, sizeof kPathReference);
    return length;
}

size_t RewritePathLine(char* line, size_t length, const char* pattern, size_t patternLength,
                       size_t cutLength) {
    if (length < patternLength || patternLength < kSetPathLength + cutLength)
        return length;
    for (size_t i = 0; i < patternLength; ++i) {
        if (ToAsciiUpper(line[i]) != ToAsciiUpper(pattern[i]))
            return length;
    }
    char* cut = line + kSetPathLength;
    MoveBytes(cut, cut + cutLength, length - kSetPathLength - cutLength);
    return length - cutLength;
}

namespace {

// Output gathered into large blocks: the file is written in a few calls
// rather than two per line.
struct BlockWriter {
    const BatchFileStreams* streams;
    char* block;
    size_t length;
    bool failed;

    void Write(const char* data, size_t size) {
        if (length + size > kBatchBlockSize)
            Flush();
        if (size >= kBatchBlockSize) {
            failed = failed || !streams->write(streams->context, data, size);
            return;
        }
        std::memcpy(block + length, data, size);
        length += size;
    }

    void Flush() {
        if (length > 0)
            failed = failed || !streams->write(streams->context, block, length);
        length = 0;
    }
};

} // namespace

bool RewriteBatchFile(const BatchFileStreams& streams, const char* installDir,
                      BatchRewriteWork* work, size_t* changedLines) {
    *changedLines = 0;
    char pattern[kPathLineSize];
    size_t patternLength = BuildPathLine(installDir, pattern, sizeof pattern);
    if (installDir[0] == '\0' || patternLength == 0)
        return false;
    size_t cutLength = TextLength(installDir) + sizeof kBinSuffix - 1;

    BlockWriter writer = {&streams, work->output, 0, false};
    char* chunk = work->input;
    // The start of the current line, gathered while it matches the path
    // line, until it is as long as that.
    char head[kPathLineSize];
    size_t headLength = 0;
    bool inHead = true;
    long read;
    while ((read = streams.read(streams.context, chunk, kBatchBlockSize)) > 0) {
        size_t count = static_cast<size_t>(read);
        size_t i = 0;
        while (i < count) {
            if (inHead) {
                // Compared byte by byte as the line comes: most lines part
                // from the path line at their first byte and are then
                // copied through whole.
                bool decided = false;
                while (i < count && !decided) {
                    char c = chunk[i++];
                    head[headLength] = c;
                    bool same = ToAsciiUpper(c) == ToAsciiUpper(pattern[headLength]);
                    ++headLength;
                    if (same && headLength == patternLength) {
                        headLength =
                            RewritePathLine(head, headLength, pattern, patternLength, cutLength);
                        ++*changedLines;
                    } else if (same && c != '\n') {
                        continue;
                    }
                    writer.Write(head, headLength);
                    headLength = 0;
                    inHead = c == '\n';
                    decided = true;
                }
            } else {
                const char* lineEnd = FindByte(chunk + i, count - i, '\n');
                size_t end = lineEnd != nullptr ? static_cast<size_t>(lineEnd - chunk) + 1 : count;
                writer.Write(chunk + i, end - i);
                i = end;
                inHead = lineEnd != nullptr;
            }
        }
    }
    // A last line shorter than the path line.
    writer.Write(head, headLength);
    writer.Flush();
    return read == 0 && !writer.failed;
}

BatchLeftovers RecoverBatchFile(const BatchFileOperations& files, bool* done) {
    *done = true;
    bool batch = files.attributes(files.context, kBatchFile) != kNoFile;
    bool old = files.attributes(files.context, kOldBatchFile) != kNoFile;
    bool fresh = files.attributes(files.context, kNewBatchFile) != kNoFile;
    if (!old) {
        // Without a batch file the new file may be the only whole copy: a
        // rename lost, or the start-up file deleted.
        if (batch && fresh)
            *done = files.remove(files.context, kNewBatchFile);
        return !fresh ? kNoLeftovers : batch ? kStaleNewFile : kOnlyNewFile;
    }
    if (!batch) {
        *done = files.move(files.context, kOldBatchFile, kBatchFile);
        if (*done && fresh)
            files.remove(files.context, kNewBatchFile);
        return kCutBeforeNewFile;
    }
    if (fresh)
        return kBatchFileWrittenSince;
    *done = files.remove(files.context, kOldBatchFile);
    return kCutAfterNewFile;
}

BatchReplace ReplaceBatchFile(const BatchFileOperations& files) {
    unsigned long attributes = files.attributes(files.context, kBatchFile);
    if (attributes == kNoFile ||
        !files.setAttributes(files.context, kNewBatchFile,
                             (attributes & kKeptAttributes) | kArchiveAttribute) ||
        !files.move(files.context, kBatchFile, kOldBatchFile))
        return kBatchFileUnchanged;
    if (!files.move(files.context, kNewBatchFile, kBatchFile))
        return files.move(files.context, kOldBatchFile, kBatchFile) ? kBatchFileUnchanged
                                                                    : kBatchFileMissing;
    files.remove(files.context, kOldBatchFile);
    return kBatchFileReplaced;
}

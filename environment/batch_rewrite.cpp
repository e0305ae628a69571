#include "batch_rewrite.h"

#include "entry_removal.h"

#include <cstring>

namespace {

const char kSetPath[] = "SET PATH=";
const size_t kSetPathLength = sizeof kSetPath - 1;
const char kBinSuffix[] = "\\BIN;";
const char kPathReference[] = "\"%PATH%\"";

} // namespace

size_t BuildPathLine(const char* installDir, char* line, size_t lineSize) {
    size_t dirLength = std::strlen(installDir);
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
    std::memmove(cut, cut + cutLength, length - kSetPathLength - cutLength);
    return length - cutLength;
}

bool RewriteBatchFile(std::FILE* in, std::FILE* out, const char* installDir) {
    char pattern[kPathLineSize];
    size_t patternLength = BuildPathLine(installDir, pattern, sizeof pattern);
    if (installDir[0] == '\0' || patternLength == 0)
        return false;
    size_t cutLength = std::strlen(installDir) + sizeof kBinSuffix - 1;

    char line[kBatchLinePieceSize + 1];
    bool atLineStart = true;
    for (;;) {
        size_t length = 0;
        int c;
        while (length < kBatchLinePieceSize && (c = std::getc(in)) != EOF) {
            line[length++] = static_cast<char>(c);
            if (c == '\n')
                break;
        }
        if (std::ferror(in))
            return false;
        if (length == 0)
            break;
        bool endsLine = line[length - 1] == '\n';
        if (atLineStart)
            length = RewritePathLine(line, length, pattern, patternLength, cutLength);
        if (std::fwrite(line, 1, length, out) != length)
            return false;
        atLineStart = endsLine;
    }
    if (std::ferror(in))
        return false;
    return std::fflush(out) == 0 && !std::ferror(out);
}

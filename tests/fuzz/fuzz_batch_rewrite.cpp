// The batch-file rewrite changes only lines that begin with the path line,
// each losing exactly the directory's "\BIN;", and keeps every other byte.
#include "environment/batch_rewrite.h"
#include "environment/entry_removal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool StartsWithIgnoringCase(const std::string& line, const std::string& pattern) {
    if (line.size() < pattern.size())
        return false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (ToAsciiUpper(line[i]) != ToAsciiUpper(pattern[i]))
            return false;
    }
    return true;
}

std::string Model(const std::string& content, const std::string& dir) {
    std::string pattern = "SET PATH=" + dir + "\\BIN;\"%PATH%\"";
    std::string result;
    size_t at = 0;
    while (at < content.size()) {
        size_t end = content.find('\n', at);
        end = end == std::string::npos ? content.size() : end + 1;
        std::string line = content.substr(at, end - at);
        if (StartsWithIgnoringCase(line, pattern))
            line.erase(9, dir.size() + 5);
        result += line;
        at = end;
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Input: the install directory, a NUL, then the batch file's bytes. A
    // short directory makes the path line likely to turn up.
    const char* bytes = reinterpret_cast<const char*>(data);
    const char* split = static_cast<const char*>(std::memchr(bytes, '\0', size));
    if (split == nullptr || split == bytes || split - bytes > 255)
        return 0;
    std::string dir(bytes, split);
    std::string content(split + 1, bytes + size);

    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    if (in == nullptr || out == nullptr)
        std::abort();
    std::fwrite(content.data(), 1, content.size(), in);
    std::rewind(in);
    if (!RewriteBatchFile(in, out, dir.c_str()))
        std::abort();
    std::rewind(out);
    std::string result;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, out)) > 0)
        result.append(buffer, count);
    std::fclose(in);
    std::fclose(out);
    if (result != Model(content, dir))
        std::abort();
    return 0;
}

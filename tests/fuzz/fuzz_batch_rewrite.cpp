// The batch-file rewrite changes only lines that begin with the path line,
// each losing exactly the directory's "\BIN;", keeps every other byte and
// counts the lines it changed, however the reads split the file.
#include "environment/entry_removal.h"
#include "tests/native/memory_files.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// Input: a byte for the largest read, the install directory, a NUL, then the
// batch file's bytes. A short directory makes the path line likely to turn up.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const char* split =
        size > 1 ? static_cast<const char*>(std::memchr(bytes + 1, 0, size - 1)) : nullptr;
    if (split == nullptr || split == bytes + 1 || split - bytes > 256)
        return 0;
    std::string dir(bytes + 1, split), pattern = "SET PATH=" + dir + "\\BIN;\"%PATH%\"", model;
    MemoryFiles files{std::string(split + 1, bytes + size)};
    files.chunk = data[0] * 257u + 1;
    size_t modelChanged = 0;
    for (size_t at = 0, end; at < files.in.size(); at = end) {
        end = std::min(files.in.find('\n', at), files.in.size() - 1) + 1;
        std::string line = files.in.substr(at, end - at);
        if (line.size() >= pattern.size() &&
            std::equal(pattern.begin(), pattern.end(), line.begin(),
                       [](char a, char b) { return ToAsciiUpper(a) == ToAsciiUpper(b); }))
            line.erase(9, dir.size() + 5), ++modelChanged;
        model += line;
    }
    if (!files.Rewrite(dir.c_str()) || files.out != model || files.changed != modelChanged)
        std::abort();
    return 0;
}

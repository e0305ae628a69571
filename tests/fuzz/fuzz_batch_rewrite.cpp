// The batch-file rewrite changes only lines that begin with the path line,
// each losing exactly the directory's "\BIN;", keeps every other byte and
// counts the lines it changed, however the reads split the file.
#include "environment/batch_rewrite.h"
#include "environment/entry_removal.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Files {
    std::string in, out;
    size_t at, chunk;
};

} // namespace

// Input: a byte for the largest read, the install directory, a NUL, then the
// batch file's bytes. A short directory makes the path line likely to turn up.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const char* split = size > 1 ? static_cast<const char*>(std::memchr(bytes + 1, '\0', size - 1))
                                 : nullptr;
    if (split == nullptr || split == bytes + 1 || split - bytes > 256)
        return 0;
    std::string dir(bytes + 1, split);
    Files files = {std::string(split + 1, bytes + size), "", 0, data[0] * 257u + 1};

    std::string model, pattern = "SET PATH=" + dir + "\\BIN;\"%PATH%\"";
    size_t changed = 0, modelChanged = 0;
    for (size_t at = 0, end; at < files.in.size(); at = end) {
        end = std::min(files.in.find('\n', at), files.in.size() - 1) + 1;
        std::string line = files.in.substr(at, end - at);
        bool match = line.size() >= pattern.size();
        for (size_t i = 0; match && i < pattern.size(); ++i)
            match = ToAsciiUpper(line[i]) == ToAsciiUpper(pattern[i]);
        if (match)
            line.erase(9, dir.size() + 5), ++modelChanged;
        model += line;
    }

    static BatchRewriteWork work;
    BatchFileStreams streams = {
        &files,
        [](void* context, char* buffer, size_t max) {
            Files& f = *static_cast<Files*>(context);
            size_t count = std::min({max, f.chunk, f.in.size() - f.at});
            std::memcpy(buffer, f.in.data() + f.at, count);
            f.at += count;
            return static_cast<long>(count);
        },
        [](void* context, const char* chunk, size_t count) {
            static_cast<Files*>(context)->out.append(chunk, count);
            return true;
        }};
    if (!RewriteBatchFile(streams, dir.c_str(), &work, &changed) || files.out != model ||
        changed != modelChanged)
        std::abort();
    return 0;
}

// RemoveFirstOccurrence cuts exactly one occurrence or nothing: the first
// exact one if there is any, else the first all-upper-case one.
#include "environment/entry_removal.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Input: entry, a NUL, then the text (at most 511 bytes, as read).
    const char* bytes = reinterpret_cast<const char*>(data);
    const char* split = static_cast<const char*>(std::memchr(bytes, '\0', size));
    if (split == nullptr)
        return 0;
    std::string entry(bytes, split);
    std::string text(split + 1, bytes + size);
    text = text.substr(0, std::min(text.find('\0'), size_t(511)));

    std::string upper = entry;
    for (char& c : upper)
        c = ToAsciiUpper(c);
    size_t at = entry.empty() ? std::string::npos : text.find(entry);
    if (at == std::string::npos && !entry.empty())
        at = text.find(upper);
    std::string expected = text;
    if (at != std::string::npos)
        expected.erase(at, entry.size());

    char* buffer = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    bool cut = RemoveFirstOccurrence(buffer, entry.c_str());
    if (cut != (at != std::string::npos) || expected != buffer)
        std::abort();
    std::free(buffer);
    return 0;
}

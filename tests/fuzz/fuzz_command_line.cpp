// The command-line tail and token driver against a plain model of the
// rules: the names come out right to left, each the rest of its token
// after the "-" and two characters, without white space at its end, and
// nothing is read past the text (AddressSanitizer watches the reads).
#include "startup/command_line.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::vector<std::string> Model(const std::string& tail) {
    std::string text = tail.substr(0, kRemovalBufferSize - 1);
    std::vector<std::string> names;
    size_t end = text.size();
    for (size_t dash = text.rfind('-'); dash != std::string::npos;
         dash = dash == 0 ? std::string::npos : text.rfind('-', dash - 1)) {
        std::string token = text.substr(dash, end - dash);
        while (token.size() > 1 && IsSpace(token.back()))
            token.pop_back();
        if (token.size() >= 3)
            names.push_back(token.substr(3));
        end = dash;
    }
    return names;
}

void Collect(const char* name, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size heap copy, so that a read past the NUL is caught.
    char* commandLine = static_cast<char*>(std::malloc(size + 1));
    std::memcpy(commandLine, data, size);
    commandLine[size] = '\0';

    const char* tail = FindCommandLineTail(commandLine);
    if (tail < commandLine || tail > commandLine + std::strlen(commandLine))
        std::abort();
    if (*tail != '\0' && static_cast<unsigned char>(*tail) <= 0x20)
        std::abort();

    std::vector<std::string> names;
    RunRemovalTokens(tail, Collect, &names);
    if (names != Model(tail))
        std::abort();
    std::free(commandLine);
    return 0;
}

#include "command_line.h"

#include "../base/text.h"

const char* FindCommandLineTail(const char* commandLine) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine);
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p > 0x20)
            ++p;
    }
    while (*p != '\0' && *p <= 0x20)
        ++p;
    return reinterpret_cast<const char*>(p);
}

bool IsTokenWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool TakeLastRemovalToken(char* buffer, const char** name) {
    char* dash = nullptr;
    for (char* p = buffer; *p != '\0'; ++p) {
        if (*p == '-')
            dash = p;
    }
    if (dash == nullptr)
        return false;
    size_t length = TextLength(dash);
    // The "-" itself is never stripped, so the loop cannot run off the front.
    while (length > 1 && IsTokenWhiteSpace(dash[length - 1]))
        dash[--length] = '\0';
    // "-", an option letter and a separator come before the name.
    *name = length >= 3 ? dash + 3 : nullptr;
    *dash = '\0';
    return true;
}

void RunRemovalTokens(const char* tail, RemovalTokenHandler handle, void* context) {
    char buffer[kRemovalBufferSize];
    CopyText(buffer, sizeof buffer, tail);
    const char* name;
    while (TakeLastRemovalToken(buffer, &name)) {
        if (name != nullptr)
            handle(name, context);
    }
}

#include "text.h"

size_t TextLength(const char* text) {
    size_t length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

bool SameText(const char* a, const char* b) {
    for (; *a != '\0'; ++a, ++b) {
        if (*a != *b)
            return false;
    }
    return *b == '\0';
}

bool AppendText(char* buffer, size_t size, const char* text) {
    size_t length = TextLength(buffer);
    size_t added = TextLength(text);
    if (added >= size - length)
        return false;
    MoveBytes(buffer + length, text, added + 1);
    return true;
}

void CopyText(char* buffer, size_t size, const char* text) {
    size_t length = 0;
    while (length < size - 1 && text[length] != '\0') {
        buffer[length] = text[length];
        ++length;
    }
    buffer[length] = '\0';
}

void MoveBytes(char* target, const char* source, size_t count) {
    if (target < source) {
        for (size_t i = 0; i < count; ++i)
            target[i] = source[i];
    } else {
        for (size_t i = count; i > 0; --i)
            target[i - 1] = source[i - 1];
    }
}

const char* FindByte(const char* data, size_t count, char c) {
    for (size_t i = 0; i < count; ++i) {
        if (data[i] == c)
            return data + i;
    }
    return nullptr;
}

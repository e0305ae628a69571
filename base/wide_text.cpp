#include "wide_text.h"

long WideToBytes(const char16_t* wide, size_t count, char* bytes, size_t size) {
    if (size == 0)
        return -1;
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) {
        unsigned long code = wide[i];
        // A high surrogate with its low one is a single character.
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < count && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        }
        size_t units = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (size - length <= units) {
            bytes[0] = '\0';
            return -1;
        }
        static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
        for (size_t k = units; k > 1; --k) {
            bytes[length + k - 1] = static_cast<char>(0x80 | (code & 0x3F));
            code >>= 6;
        }
        bytes[length] = static_cast<char>(kLead[units] | code);
        length += units;
    }
    bytes[length] = '\0';
    return static_cast<long>(length);
}

long BytesToWide(const char* bytes, char16_t* wide, size_t size) {
    if (size == 0)
        return -1;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    size_t length = 0;
    while (*p != '\0') {
        unsigned long code = *p;
        size_t units = code < 0x80                   ? 1
                       : code >= 0xF0 && code < 0xF5 ? 4
                       : code >= 0xE0                ? 3
                       : code >= 0xC2                ? 2
                                                     : 0;
        if (code >= 0xF5)
            units = 0;
        if (units > 1)
            code &= 0x3F >> (units - 1);
        for (size_t k = 1; k < units; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                units = 0;
                break;
            }
            code = (code << 6) | (p[k] & 0x3F);
        }
        // Only the shortest form of each code is accepted.
        static const unsigned long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        bool valid = units > 0 && code >= kSmallest[units] && code <= 0x10FFFF;
        size_t needed = code >= 0x10000 ? 2 : 1;
        if (!valid || size - length <= needed) {
            wide[0] = 0;
            return -1;
        }
        if (needed == 2) {
            wide[length++] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            wide[length++] = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            wide[length++] = static_cast<char16_t>(code);
        }
        p += units;
    }
    wide[length] = 0;
    return static_cast<long>(length);
}

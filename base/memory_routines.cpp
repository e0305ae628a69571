// memset and memcpy for the program, which links no C runtime: the compiler
// itself emits calls to them (zeroed structures, structure copies), so they
// are defined once, here. This file is compiled with
// -fno-tree-loop-distribute-patterns, so that the compiler cannot turn the
// loops below back into calls to themselves.
#include <cstddef>

extern "C" void* memset(void* target, int value, size_t count) {
    unsigned char* p = static_cast<unsigned char*>(target);
    while (count-- > 0)
        *p++ = static_cast<unsigned char>(value);
    return target;
}

extern "C" void* memcpy(void* target, const void* source, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(target);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    while (count-- > 0)
        *to++ = *from++;
    return target;
}

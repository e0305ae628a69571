// The few text and byte routines the program needs, written as plain loops:
// the program links no C runtime. Plain C++: built for Windows and for the
// native tests alike.
#pragma once

#include <cstddef>

// The number of bytes before the NUL.
size_t TextLength(const char* text);

// Whether a and b hold the same bytes, letter case included.
bool SameText(const char* a, const char* b);

// Appends text to the NUL-terminated contents of buffer (size bytes in all)
// when all of it fits; otherwise leaves buffer as it was and returns false.
bool AppendText(char* buffer, size_t size, const char* text);

// Copies as much of text as fits into buffer (size bytes in all, at least
// one) and ends it with a NUL.
void CopyText(char* buffer, size_t size, const char* text);

// Moves count bytes from source to target, which may overlap it.
void MoveBytes(char* target, const char* source, size_t count);

// The first byte equal to c among the count bytes at data; null when none.
const char* FindByte(const char* data, size_t count, char c);

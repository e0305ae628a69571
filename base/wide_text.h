// The NT registry holds text as UTF-16; the cleanup cuts entries out of
// bytes. These convert between the two without losing anything: every
// 16-bit unit, a lone surrogate included, has one byte form (UTF-8, with a
// lone surrogate written as its own three-byte sequence) and comes back
// from it unchanged. Plain C++: built for Windows and for the native tests.
#pragma once

#include <cstddef>

// The most bytes one 16-bit unit takes.
const size_t kBytesPerWideUnit = 3;

// Writes the count units at wide into bytes (size bytes, NUL included).
// Returns the byte length, or -1 (and an empty text) when it does not fit.
long WideToBytes(const char16_t* wide, size_t count, char* bytes, size_t size);

// Writes the byte text into wide (size units, NUL included). Returns the
// unit count, or -1 (and an empty text) when it does not fit or the bytes
// are not in the form WideToBytes writes.
long BytesToWide(const char* bytes, char16_t* wide, size_t size);

// Cutting one of the product's entries out of a search-path variable.
// Plain C++: built for Windows and for the native tests alike.
#pragma once

// Cuts the first occurrence of entry out of text, in place. The search is
// byte-exact first; when that finds nothing, it is repeated with the letters
// a-z of entry taken as A-Z. Only one occurrence is removed. Returns true
// when something was cut. An empty entry cuts nothing.
bool RemoveFirstOccurrence(char* text, const char* entry);

// 'a'..'z' to 'A'..'Z'; every other byte stays as it is.
inline char ToAsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The command-line tail and the "-c Name" tokens of silent removal.
// Plain C++: built for Windows and for the native tests alike.
#pragma once

#include <cstddef>

// The driver works on a copy of the tail of at most this many bytes, NUL
// included; text beyond it is ignored.
const size_t kRemovalBufferSize = 1000;

// The part of a process command line after the program's own name and the
// characters 0x01..0x20 that follow it. A quoted name ends at the next quote
// (dropped too) or at the end of the text, an unquoted one at the first
// character of code 0x20 or lower.
const char* FindCommandLineTail(const char* commandLine);

// Space, tab, line feed, vertical tab, form feed, carriage return. Bytes of
// 0x80 and above are never white space, whatever the code page.
bool IsTokenWhiteSpace(char c);

// Takes the last "-" token off the end of buffer and cuts buffer at its "-".
// Returns false when buffer holds no "-". Otherwise *name points, inside
// buffer, at what follows the "-" and the two characters after it, with the
// white space at the token's end removed; it is null when the token is too
// short to hold a name (a lone "-", or "-" and one character).
bool TakeLastRemovalToken(char* buffer, const char** name);

typedef void (*RemovalTokenHandler)(const char* name, void* context);

// Copies tail into a buffer of kRemovalBufferSize bytes and calls handle for
// each token's name, from the last token to the first. Tokens too short to
// hold a name are skipped.
void RunRemovalTokens(const char* tail, RemovalTokenHandler handle, void* context);

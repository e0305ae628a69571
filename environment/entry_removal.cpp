#include "entry_removal.h"

#include "../base/text.h"

namespace {

// Where entry stands in text, comparing each text byte with the entry's byte,
// upper-cased when upper is set; null when it does not occur.
char* FindEntry(char* text, const char* entry, size_t entryLength, bool upper) {
    for (char* start = text; *start != '\0'; ++start) {
        size_t i = 0;
        while (i < entryLength && start[i] != '\0' &&
               start[i] == (upper ? ToAsciiUpper(entry[i]) : entry[i]))
            ++i;
        if (i == entryLength)
            return start;
    }
    return nullptr;
}

} // namespace

bool RemoveFirstOccurrence(char* text, const char* entry) {
    size_t entryLength = TextLength(entry);
    if (entryLength == 0)
        return false;
    char* found = FindEntry(text, entry, entryLength, false);
    if (found == nullptr)
        found = FindEntry(text, entry, entryLength, true);
    if (found == nullptr)
        return false;
    MoveBytes(found, found + entryLength, TextLength(found + entryLength) + 1);
    return true;
}

#include "uninstaller_command.h"

#include "../base/text.h"

#include <cstring>

bool BuildUninstallerCommandLine(const char* program, const char* file, char* commandLine,
                                 size_t size) {
    static const char kOptions[] = " -a -f\"";
    size_t programLength = TextLength(program);
    size_t fileLength = TextLength(file);
    size_t length = programLength + (sizeof kOptions - 1) + fileLength + 1;
    if (size == 0)
        return false;
    if (length >= size) {
        commandLine[0] = '\0';
        return false;
    }
    char* p = commandLine;
    std::memcpy(p, program, programLength);
    p += programLength;
    std::memcpy(p, kOptions, sizeof kOptions - 1);
    p += sizeof kOptions - 1;
    std::memcpy(p, file, fileLength);
    p += fileLength;
    p[0] = '"';
    p[1] = '\0';
    return true;
}

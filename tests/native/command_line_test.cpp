// The command-line tail and the "-c Name" tokens of silent removal.
#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CommandLineTail, IsWhatFollowsTheProgramNameAndTheBlanksAfterIt) {
    const char* const rows[][2] = {
        {"qvuninst.exe -c Alpha", "-c Alpha"},
        {"\"C:\\a b\\qvuninst.exe\"-c Alpha", "-c Alpha"},
        {"qvuninst.exe\t\r\n\x01 -c Alpha", "-c Alpha"},
        {"qv\xA0\xE9uninst.exe -c A", "-c A"}, // bytes of 0x80 and above belong to the name
        {"qvuninst.exe   \t ", ""},
        {"\"C:\\no closing quote -c Alpha", ""},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_STREQ(row[1], FindCommandLineTail(row[0])) << "command line " << row[0];
}

void Collect(const char* name, void* names) {
    static_cast<std::vector<std::string>*>(names)->push_back(name);
}

TEST(RemovalTokens, NameComponentsFromTheLastTokenToTheFirst) {
    const std::string n3000(3000, 'N'), x995(995, 'x');
    const struct {
        std::string tail;
        std::vector<std::string> names;
    } rows[] = {
        {"-c A -xyMy Part   \t\r\n\v\f", {"My Part", "A"}},
        {"junk -c Alpha", {"Alpha"}},
        {"/c Alpha", {}},
        {"-c Client-Base", {"se", "Client"}},
        // Tokens too short to hold a name are skipped; a three-byte one names "".
        {"-c Alpha -cX", {"", "Alpha"}},
        {"-c Alpha -c", {"Alpha"}},
        {"---", {}},
        // Bytes of 0x80 and above are never white space.
        {"-c Caf\xE9\xA0", {"Caf\xE9\xA0"}},
        // Only the first 999 bytes of the tail count.
        {"-c " + n3000, {std::string(996, 'N')}},
        {"-c A " + x995 + " -c B", {"A " + x995.substr(1)}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> names;
        RunRemovalTokens(row.tail.c_str(), Collect, &names);
        EXPECT_EQ(row.names, names) << "tail " << row.tail;
    }
}

} // namespace

#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const std::string& tail) {
    std::vector<std::string> names;
    RunRemovalTokens(
        tail.c_str(),
        [](const char* name, void* context) {
            static_cast<std::vector<std::string>*>(context)->push_back(name);
        },
        &names);
    return names;
}

typedef std::vector<std::string> List;

TEST(CommandLineTail, SkipsTheProgramNameAndTheBlanksAfterIt) {
    EXPECT_STREQ("-c Alpha", FindCommandLineTail("qvuninst.exe -c Alpha"));
    EXPECT_STREQ("-c Alpha",
                 FindCommandLineTail("\"C:\\Program Files\\Q v\\qvuninst.exe\"  -c Alpha"));
    // A closing quote followed directly by the token still ends the name.
    EXPECT_STREQ("-c Alpha", FindCommandLineTail("\"C:\\a b\\qvuninst.exe\"-c Alpha"));
    EXPECT_STREQ("-c Alpha", FindCommandLineTail("qvuninst.exe\t\r\n -c Alpha"));
    EXPECT_STREQ("", FindCommandLineTail("qvuninst.exe   \t "));
    EXPECT_STREQ("", FindCommandLineTail("qvuninst.exe"));
    EXPECT_STREQ("", FindCommandLineTail("\"C:\\no closing quote -c Alpha"));
    EXPECT_STREQ("", FindCommandLineTail(""));
    // Bytes of 0x80 and above belong to the name, never end it.
    EXPECT_STREQ("-c A", FindCommandLineTail("qv\xA0\xE9uninst.exe -c A"));
}

TEST(RemovalTokens, ComeFromRightToLeft) {
    EXPECT_EQ((List{"Beta", "Alpha"}), Names("-c Alpha -c Beta"));
    EXPECT_EQ((List{"C", "B", "A"}), Names("-c A -c B -c C"));
    EXPECT_EQ((List{"Alpha"}), Names("-c Alpha   \t\r\n"));
}

TEST(RemovalTokens, SkipAnyTwoCharactersAfterTheDash) {
    EXPECT_EQ((List{"Alpha"}), Names("-xyAlpha"));
    EXPECT_EQ((List{"My Part"}), Names("-c My Part"));
    EXPECT_EQ((List{" Alpha"}), Names("-c  Alpha"));
    // Text before the first dash, and a tail without one, remove nothing.
    EXPECT_EQ((List{}), Names("/c Alpha"));
    EXPECT_EQ((List{"Alpha"}), Names("junk -c Alpha"));
    // A name holding a dash is split at it.
    EXPECT_EQ((List{"se", "Client"}), Names("-c Client-Base"));
}

TEST(RemovalTokens, ShortTokensAtTheEndAreSkipped) {
    EXPECT_EQ((List{"", "Alpha"}), Names("-c Alpha -cX"));
    EXPECT_EQ((List{"Alpha"}), Names("-c Alpha -c"));
    EXPECT_EQ((List{"Alpha"}), Names("-c Alpha -"));
    EXPECT_EQ((List{"Alpha"}), Names("-c Alpha -c   "));
    EXPECT_EQ((List{}), Names("-"));
    EXPECT_EQ((List{}), Names("--"));
    EXPECT_EQ((List{}), Names("---"));
}

TEST(RemovalTokens, HighBytesAreNeverWhiteSpace) {
    EXPECT_EQ((List{"Caf\xE9\xA0"}), Names("-c Caf\xE9\xA0"));
    EXPECT_EQ((List{"\x85"}), Names("-c \x85 "));
}

TEST(RemovalTokens, LongNamesAreCutAt999CharactersOfTail) {
    std::string longName(3000, 'N');
    std::vector<std::string> names = Names("-c " + longName);
    ASSERT_EQ(1u, names.size());
    EXPECT_EQ(std::string(999 - 3, 'N'), names[0]);

    // A token that starts beyond the buffer is never seen.
    names = Names("-c A " + std::string(995, 'x') + " -c B");
    EXPECT_EQ((List{"A " + std::string(994, 'x')}), names);
}

TEST(RemovalTokens, TakeLastTokenNeverReadsBeforeTheDash) {
    char buffer[] = "-\t";
    const char* name = "unchanged";
    ASSERT_TRUE(TakeLastRemovalToken(buffer, &name));
    EXPECT_EQ(nullptr, name);
    EXPECT_STREQ("", buffer);
    EXPECT_FALSE(TakeLastRemovalToken(buffer, &name));
}

} // namespace

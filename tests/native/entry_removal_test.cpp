#include "environment/entry_removal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Cut(std::string text, const std::string& entry) {
    text.push_back('\0');
    RemoveFirstOccurrence(&text[0], entry.c_str());
    return text.c_str();
}

TEST(RemoveFirstOccurrence, CutsOnlyTheWholeEntryWithItsSemicolon) {
    EXPECT_EQ("C:\\A;C:\\B", Cut("C:\\A;C:\\PROD\\BIN;C:\\B", "C:\\PROD\\BIN;"));
    EXPECT_EQ("C:\\A;C:\\PROD\\BIN", Cut("C:\\A;C:\\PROD\\BIN", "C:\\PROD\\BIN;"));
    EXPECT_EQ("C:\\PROD\\BIN;", Cut("C:\\PROD\\BIN;C:\\PROD\\BIN;", "C:\\PROD\\BIN;"));
    EXPECT_EQ("", Cut("C:\\PROD\\BIN;", "C:\\PROD\\BIN;"));
    EXPECT_EQ("%SystemRoot%\\system32;%SystemRoot%;",
              Cut("%SystemRoot%\\system32;C:\\PROD\\BIN;%SystemRoot%;", "C:\\PROD\\BIN;"));
}

TEST(RemoveFirstOccurrence, MatchesExactlyOrAllUpperCase) {
    EXPECT_EQ("C:\\A;c:\\prod\\bin;", Cut("C:\\A;c:\\prod\\bin;", "C:\\PROD\\BIN;"));
    EXPECT_EQ("C:\\A;", Cut("C:\\A;C:\\PROD\\BIN;", "c:\\prod\\BIN;"));
    // The exact occurrence wins over an earlier upper-case one.
    EXPECT_EQ("C:\\PROD\\BIN;", Cut("C:\\PROD\\BIN;c:\\prod\\BIN;", "c:\\prod\\BIN;"));
    // Bytes above 0x7F are not case-mapped.
    EXPECT_EQ("C:\\\xE9\\BIN;", Cut("C:\\\xE9\\BIN;", "c:\\\xC9\\bin;"));
}

TEST(RemoveFirstOccurrence, ArchivesGoOnlyAsAnAdjacentPair) {
    const std::string pair = "C:\\PROD\\wkdocs\\wkdocs.zip;C:\\PROD\\wkdocs\\aqvxsg.zip;";
    EXPECT_EQ("X;Y", Cut("X;" + pair + "Y", pair));
    const std::string apart = "C:\\PROD\\wkdocs\\wkdocs.zip;X;C:\\PROD\\wkdocs\\aqvxsg.zip;";
    EXPECT_EQ(apart, Cut(apart, pair));
    EXPECT_EQ("X;C:\\PROD\\wkdocs\\aqvxsg.zip;", Cut("X;C:\\PROD\\wkdocs\\aqvxsg.zip;", pair));
    EXPECT_EQ("X;Y", Cut("X;C:\\PROD\\java\\lib;Y", "C:\\PROD\\java\\lib;"));
}

TEST(RemoveFirstOccurrence, TheLongestEntryOfAMaximalDirectory) {
    const std::string dir = "C:\\" + std::string(252, 'd');
    const std::string entry = dir + "\\wkdocs\\wkdocs.zip;" + dir + "\\wkdocs\\aqvxsg.zip;";
    ASSERT_EQ(548u, entry.size());
    EXPECT_EQ("A;B", Cut("A;" + entry + "B", entry));
    // An entry longer than the text, or one the text ends inside, cuts nothing.
    EXPECT_EQ("A;" + entry.substr(0, 547), Cut("A;" + entry.substr(0, 547), entry));
}

TEST(RemoveFirstOccurrence, EmptyEntryCutsNothing) {
    EXPECT_EQ("C:\\A;", Cut("C:\\A;", ""));
    EXPECT_EQ("", Cut("", "C:\\PROD\\BIN;"));
}

} // namespace

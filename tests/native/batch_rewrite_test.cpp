#include "environment/batch_rewrite.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Runs the rewrite over content, as the start-up batch file, for installDir.
std::string Rewrite(const std::string& content, const char* installDir = "C:\\PROD") {
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), in);
    std::rewind(in);
    EXPECT_TRUE(RewriteBatchFile(in, out, installDir));
    std::rewind(out);
    std::string result;
    int c;
    while ((c = std::getc(out)) != EOF)
        result.push_back(static_cast<char>(c));
    std::fclose(in);
    std::fclose(out);
    return result;
}

TEST(PathLine, IsTheInstallersLine) {
    char line[kPathLineSize];
    EXPECT_EQ(29u, BuildPathLine("C:\\PROD", line, sizeof line));
    EXPECT_STREQ("SET PATH=C:\\PROD\\BIN;\"%PATH%\"", line);
    std::string dir(255, 'd');
    EXPECT_EQ(kPathLineSize - 1, BuildPathLine(dir.c_str(), line, sizeof line));
    std::string tooLong(256, 'd');
    EXPECT_EQ(0u, BuildPathLine(tooLong.c_str(), line, sizeof line));
    EXPECT_STREQ("", line);
}

TEST(BatchRewrite, CutsTheDirectoryFromEveryPathLine) {
    EXPECT_EQ("@ECHO OFF\r\nSET PATH=\"%PATH%\"\r\nREM end\r\n",
              Rewrite("@ECHO OFF\r\nSET PATH=C:\\PROD\\BIN;\"%PATH%\"\r\nREM end\r\n"));
    // Lower case matches too and keeps its own first 9 characters.
    EXPECT_EQ("set path=\"%path%\"\n", Rewrite("set path=c:\\prod\\bin;\"%path%\"\n"));
    // Whatever follows the path line stays; every such line is changed.
    EXPECT_EQ(
        "SET PATH=\"%PATH%\";D:\\X\nSET PATH=\"%PATH%\"\n",
        Rewrite("SET PATH=C:\\PROD\\BIN;\"%PATH%\";D:\\X\nSET PATH=C:\\PROD\\BIN;\"%PATH%\"\n"));
    // The last line needs no line end.
    EXPECT_EQ("REM\nSET PATH=\"%PATH%\"", Rewrite("REM\nSET PATH=C:\\PROD\\BIN;\"%PATH%\""));
}

TEST(BatchRewrite, LeavesOtherLinesAlone) {
    const std::string untouched = "  SET PATH=C:\\PROD\\BIN;\"%PATH%\"\r\n"
                                  "SET PATH=C:\\PROD\\BIN;%PATH%\r\n"
                                  "SET PATH=C:\\PROD\\BIN;\"%PATH\"\r\n"
                                  "SET PATH=C:\\OTHER\\BIN;\"%PATH%\"\r\n"
                                  "REM SET PATH=C:\\PROD\\BIN;\"%PATH%\"\r\n";
    EXPECT_EQ(untouched, Rewrite(untouched));
    EXPECT_EQ("", Rewrite(""));
}

TEST(BatchRewrite, PassesEveryByteThrough) {
    static const char kContent[] = "A\0B\x1A\r\nSET PATH=C:\\PROD\\BIN;\"%PATH%\"\0tail\r\n\x1A";
    static const char kExpected[] = "A\0B\x1A\r\nSET PATH=\"%PATH%\"\0tail\r\n\x1A";
    std::string content(kContent, sizeof kContent - 1);
    std::string expected(kExpected, sizeof kExpected - 1);
    EXPECT_EQ(expected, Rewrite(content));
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    EXPECT_EQ(all + all, Rewrite(all + all));
}

TEST(BatchRewrite, OnlyTheStartOfALongLineCounts) {
    const std::string pathLine = "SET PATH=C:\\PROD\\BIN;\"%PATH%\"";
    // A line reader with a 9999-byte buffer would see the path line begin
    // the second piece of this line; it is not at column 1 and stays.
    const size_t kPieceSize = 9999;
    std::string longLine = std::string(kPieceSize, 'x') + pathLine + "\n";
    EXPECT_EQ(longLine, Rewrite(longLine));
    // A long line that does begin with it loses the directory.
    std::string longPathLine = pathLine + std::string(20000, 'y') + "\n" + pathLine + "\n";
    EXPECT_EQ("SET PATH=\"%PATH%\"" + std::string(20000, 'y') + "\nSET PATH=\"%PATH%\"\n",
              Rewrite(longPathLine));
    // A line of exactly one piece, then the line end as a piece of its own.
    std::string exact = std::string(kPieceSize, 'z') + "\n" + pathLine;
    EXPECT_EQ(std::string(kPieceSize, 'z') + "\nSET PATH=\"%PATH%\"", Rewrite(exact));
    // Lines longer than the blocks the file is read in, path lines across
    // block ends included.
    std::string big;
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        std::string filler(i * 7 % 200, 'f');
        big += pathLine + filler + "\r\n" + filler + "\n";
        expected += "SET PATH=\"%PATH%\"" + filler + "\r\n" + filler + "\n";
    }
    big += std::string(200000, 'y') + "\n" + pathLine;
    expected += std::string(200000, 'y') + "\nSET PATH=\"%PATH%\"";
    EXPECT_EQ(expected, Rewrite(big));
}

TEST(BatchRewrite, MaximalDirectory) {
    std::string dir = "C:\\" + std::string(252, 'd');
    EXPECT_EQ("SET PATH=\"%PATH%\"\r\n",
              Rewrite("SET PATH=" + dir + "\\BIN;\"%PATH%\"\r\n", dir.c_str()));
}

TEST(BatchRewrite, RefusesAnEmptyDirectoryAndReportsErrors) {
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::fputs("SET PATH=\\BIN;\"%PATH%\"\n", in);
    std::rewind(in);
    EXPECT_FALSE(RewriteBatchFile(in, out, ""));
    std::string tooLong(256, 'd');
    EXPECT_FALSE(RewriteBatchFile(in, out, tooLong.c_str()));
    std::fclose(out);

    // Reading from a stream opened only for writing is a read error.
    std::FILE* writeOnly = std::fopen("/dev/null", "w");
    out = std::tmpfile();
    EXPECT_FALSE(RewriteBatchFile(writeOnly, out, "C:\\PROD"));
    std::fclose(writeOnly);
    std::fclose(out);

    // Writing to a stream opened only for reading is a write error.
    std::rewind(in);
    std::FILE* readOnly = std::fopen("/dev/null", "r");
    EXPECT_FALSE(RewriteBatchFile(in, readOnly, "C:\\PROD"));
    std::fclose(readOnly);
    std::fclose(in);
}

} // namespace

// The entry cut, the 95/98 batch-file rewrite and the UTF-16 conversion of
// the environment cleanup.
#include "environment/batch_rewrite.h"
#include "environment/entry_removal.h"
#include "environment/wide_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace std::string_literals;

namespace {

TEST(RemoveFirstOccurrence, CutsTheFirstEntryAsWrittenOrElseInUpperCase) {
    const std::string pair = "C:\\P\\wkdocs\\wkdocs.zip;C:\\P\\wkdocs\\aqvxsg.zip;";
    const std::string dir = "C:\\" + std::string(252, 'd');
    const std::string longest = dir + "\\wkdocs\\wkdocs.zip;" + dir + "\\wkdocs\\aqvxsg.zip;";
    const std::string rows[][3] = {
        {"C:\\A;C:\\P\\BIN;C:\\B", "C:\\P\\BIN;", "C:\\A;C:\\B"},
        {"C:\\A;C:\\P\\BIN", "C:\\P\\BIN;", "C:\\A;C:\\P\\BIN"},
        {"C:\\P\\BIN;C:\\P\\BIN;", "C:\\P\\BIN;", "C:\\P\\BIN;"},
        {"C:\\A;c:\\p\\bin;", "C:\\P\\BIN;", "C:\\A;c:\\p\\bin;"},
        {"C:\\A;C:\\P\\BIN;", "c:\\p\\BIN;", "C:\\A;"},
        {"C:\\P\\BIN;c:\\p\\BIN;", "c:\\p\\BIN;", "C:\\P\\BIN;"},
        {"C:\\\xE9\\BIN;", "c:\\\xC9\\bin;", "C:\\\xE9\\BIN;"}, // only a-z are case-mapped
        {"X;" + pair + "Y", pair, "X;Y"},
        {"C:\\P\\wkdocs\\wkdocs.zip;X;C:\\P\\wkdocs\\aqvxsg.zip;", pair,
         "C:\\P\\wkdocs\\wkdocs.zip;X;C:\\P\\wkdocs\\aqvxsg.zip;"},
        {"A;" + longest + "B", longest, "A;B"},
        {"A;" + longest.substr(0, 547), longest, "A;" + longest.substr(0, 547)},
        {"C:\\A;", "", "C:\\A;"},
        {"", "C:\\P\\BIN;", ""},
    };
    for (const auto& row : rows) {
        std::string text = row[0];
        bool cut = RemoveFirstOccurrence(&text[0], row[1].c_str());
        EXPECT_EQ(row[2], text.c_str()) << row[0] << " less " << row[1];
        EXPECT_EQ(row[2] != row[0], cut) << row[0] << " less " << row[1];
    }
}

// The old batch file in memory, handed out at most chunk bytes a read, and
// the new one; reading at or past readErrorAt or writing past writeLimit
// fails.
struct Files {
    std::string in, out = "";
    size_t chunk = kBatchBlockSize, at = 0, readErrorAt = ~size_t(0), writeLimit = ~size_t(0);
};

bool Rewrite(Files& files, const char* dir, size_t* changedLines) {
    static BatchRewriteWork work;
    BatchFileStreams streams = {
        &files,
        [](void* context, char* buffer, size_t size) {
            Files& f = *static_cast<Files*>(context);
            size_t count = std::min({size, f.chunk, f.in.size() - f.at});
            std::memcpy(buffer, f.in.data() + f.at, count);
            f.at += count;
            return f.at - count >= f.readErrorAt ? -1L : static_cast<long>(count);
        },
        [](void* context, const char* data, size_t size) {
            Files& f = *static_cast<Files*>(context);
            f.out.append(data, size);
            return f.out.size() <= f.writeLimit;
        }};
    return RewriteBatchFile(streams, dir, &work, changedLines);
}

const std::string kLine = "SET PATH=C:\\PROD\\BIN;\"%PATH%\"", kCut = "SET PATH=\"%PATH%\"";

TEST(BatchRewrite, CutsTheDirectoryFromEveryLineThatStartsWithThePathLine) {
    std::string bytes, dir = "C:\\" + std::string(252, 'd');
    for (int i = 0; i < 512; ++i)
        bytes += static_cast<char>(i);
    const std::string untouched = "  " + kLine + "\nSET PATH=C:\\PROD\\BIN;%PATH%\n" +
                                  "SET PATH=C:\\OTHER\\BIN;\"%PATH%\"\nREM " + kLine + "\n" +
                                  kLine.substr(0, 28);
    const struct {
        std::string before, after;
        size_t changed;
        std::string dir = "C:\\PROD";
    } rows[] = {
        {"@ECHO OFF\r\n" + kLine + "\r\nREM\r\n", "@ECHO OFF\r\n" + kCut + "\r\nREM\r\n", 1},
        {"set path=c:\\prod\\bin;\"%path%\";D:\\X\n", "set path=\"%path%\";D:\\X\n", 1},
        {kLine + "\n" + kLine, kCut + "\n" + kCut, 2},
        {untouched, untouched, 0},
        {"", "", 0},
        {"A\0\x1A\r\n"s + kLine + "\0\n\x1A"s, "A\0\x1A\r\n"s + kCut + "\0\n\x1A"s, 1},
        {bytes, bytes, 0},
        // Only the true start of a line counts, however long the line.
        {std::string(9999, 'x') + kLine + "\n", std::string(9999, 'x') + kLine + "\n", 0},
        {kLine + std::string(20000, 'y') + "\n" + kLine, kCut + std::string(20000, 'y') + "\n" + kCut,
         2},
        {"SET PATH=" + dir + "\\BIN;\"%PATH%\"\r\n", kCut + "\r\n", 1, dir},
    };
    for (const auto& row : rows) {
        Files files{row.before};
        size_t changed = 99;
        EXPECT_TRUE(Rewrite(files, row.dir.c_str(), &changed));
        EXPECT_EQ(row.after, files.out);
        EXPECT_EQ(row.changed, changed) << row.before.substr(0, 80);
    }
}

TEST(BatchRewrite, PathLinesAcrossBlockEndsAndShortReadsAreCutLikeAnyOther) {
    std::string before, after;
    for (int i = 0; i < 3000; ++i) {
        std::string filler(i * 7 % 200, 'f');
        before += kLine + filler + "\r\n" + filler + "\n";
        after += kCut + filler + "\r\n" + filler + "\n";
    }
    // Path lines that start 29 and 10 bytes before a block ends, and right at it.
    for (size_t offset : {29, 10, 0}) {
        size_t start = (before.size() / kBatchBlockSize + 2) * kBatchBlockSize - offset;
        std::string pad(start - before.size() - 1, 'g');
        before += pad + "\n" + kLine + "\n" + std::string(70000, 'y') + "\n";
        after += pad + "\n" + kCut + "\n" + std::string(70000, 'y') + "\n";
    }
    for (size_t chunk : {kBatchBlockSize, size_t(4097), size_t(1)}) {
        Files files{before};
        files.chunk = chunk;
        size_t changed = 0;
        EXPECT_TRUE(Rewrite(files, "C:\\PROD", &changed));
        EXPECT_TRUE(after == files.out) << "reading " << chunk << " bytes at a time";
        EXPECT_EQ(3003u, changed);
    }
}

TEST(BatchRewrite, ReportsReadAndWriteErrorsAndRefusesAnEmptyOrTooLongDirectory) {
    const std::string dir256(256, 'd');
    const struct {
        size_t readErrorAt, writeLimit;
        const char* dir;
    } rows[] = {
        {0, ~size_t(0), "C:\\PROD"},         {kBatchBlockSize, ~size_t(0), "C:\\PROD"},
        {~size_t(0), 0, "C:\\PROD"},         {~size_t(0), kBatchBlockSize + 10, "C:\\PROD"},
        {~size_t(0), ~size_t(0), ""},        {~size_t(0), ~size_t(0), dir256.c_str()},
    };
    for (const auto& row : rows) {
        Files files{std::string(150000, 'x') + "\n" + kLine};
        files.readErrorAt = row.readErrorAt;
        files.writeLimit = row.writeLimit;
        size_t changed;
        EXPECT_FALSE(Rewrite(files, row.dir, &changed))
            << row.readErrorAt << " " << row.writeLimit << " " << row.dir;
    }
}

TEST(WideText, EveryUnitComesBackAndWhatDoesNotFitIsRefused) {
    for (std::u16string text : {u""s, u"C:\\Données\\日本;C:\\B"s, u"\xD800 \xDC00\xFFFF"s, u"😀"s}) {
        char bytes[64];
        char16_t back[32];
        EXPECT_LE(0, WideToBytes(text.data(), text.size(), bytes, sizeof bytes));
        EXPECT_EQ(static_cast<long>(text.size()), BytesToWide(bytes, back, 32));
        EXPECT_TRUE(text == back) << bytes;
    }
    char small[6] = "x";
    char16_t wide[3] = u"x";
    EXPECT_EQ(-1, WideToBytes(u"日本", 2, small, sizeof small));
    EXPECT_EQ(-1, BytesToWide("abc", wide, 3));
    EXPECT_EQ(-1, BytesToWide("\xFF", wide, 3));
    EXPECT_EQ('\0', small[0] | wide[0]);
}

} // namespace

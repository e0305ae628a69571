// The entry cut and the 95/98 batch-file rewrite and replace of the
// environment cleanup.
#include "environment/entry_removal.h"
#include "memory_files.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(RemoveFirstOccurrence, CutsTheFirstEntryAsWrittenOrElseInUpperCase) {
    const std::string dir = "C:\\" + std::string(252, 'd');
    const std::string longest = dir + "\\wkdocs\\wkdocs.zip;" + dir + "\\wkdocs\\aqvxsg.zip;";
    const std::string rows[][3] = {
        {"C:\\A;C:\\P\\BIN;C:\\P\\BIN;", "C:\\P\\BIN;", "C:\\A;C:\\P\\BIN;"},
        {"C:\\A;c:\\p\\Bin;C:\\P\\BIN;", "c:\\p\\bin;", "C:\\A;c:\\p\\Bin;"},
        {"C:\\P\\BIN;c:\\p\\BIN;", "c:\\p\\BIN;", "C:\\P\\BIN;"},
        {"C:\\\xE9\\BIN;", "c:\\\xC9\\bin;", "C:\\\xE9\\BIN;"}, // only a-z are case-mapped
        {"A;" + longest + "B", longest, "A;B"},
        {"A;" + longest.substr(0, 547), longest, "A;" + longest.substr(0, 547)},
    };
    for (const auto& row : rows) {
        std::string text = row[0];
        EXPECT_EQ(row[2] != row[0], RemoveFirstOccurrence(&text[0], row[1].c_str())) << row[0];
        EXPECT_EQ(row[2], text.c_str()) << row[0] << " less " << row[1];
    }
}

const std::string kLine = "SET PATH=C:\\PROD\\BIN;\"%PATH%\"", kCut = "SET PATH=\"%PATH%\"";

TEST(BatchRewrite, CutsTheDirectoryFromEveryLineThatStartsWithThePathLine) {
    std::string bytes, dir = "C:\\" + std::string(252, 'd');
    for (int i = 0; i < 512; ++i)
        bytes += static_cast<char>(i);
    const std::string rows[][4] = {
        {" " + kLine + "\nSET PATH=C:\\PROD\\BIN;%PATH%\n" + kLine.substr(0, 28), "", "0"},
        {bytes, "", "0"},
        // Only the true start of a line counts, however long the line.
        {std::string(9999, 'x') + kLine + "\n" + std::string(9999, 'x') + "\n" + kLine,
         std::string(9999, 'x') + kLine + "\n" + std::string(9999, 'x') + "\n" + kCut, "1"},
        {kLine + std::string(20000, 'y'), kCut + std::string(20000, 'y'), "1"},
        {"SET PATH=" + dir + "\\BIN;\"%PATH%\"\r\n", kCut + "\r\n", "1", dir},
    };
    for (const auto& row : rows) {
        MemoryFiles files{row[0]};
        EXPECT_TRUE(files.Rewrite(row[3].empty() ? "C:\\PROD" : row[3].c_str()));
        EXPECT_EQ(row[1].empty() ? row[0] : row[1], files.out);
        EXPECT_EQ(row[2], std::to_string(files.changed)) << row[0].substr(0, 80);
    }
}

TEST(BatchRewrite, PathLinesAcrossBlockEndsAndShortReadsAreCutLikeAnyOther) {
    std::string before, after;
    // Path lines that start 29 and 10 bytes before a block ends, and right at it.
    for (size_t offset : {29, 10, 0}) {
        size_t start = (before.size() / kBatchBlockSize + 2) * kBatchBlockSize - offset;
        std::string pad(start - before.size() - 1, 'g');
        before += pad + "\n" + kLine + "\n" + std::string(70000, 'y') + "\n";
        after += pad + "\n" + kCut + "\n" + std::string(70000, 'y') + "\n";
    }
    for (size_t chunk : {kBatchBlockSize, size_t(4097), size_t(1)}) {
        MemoryFiles files{before};
        files.chunk = chunk;
        EXPECT_TRUE(files.Rewrite("C:\\PROD"));
        EXPECT_TRUE(after == files.out) << "reading " << chunk << " bytes at a time";
        EXPECT_EQ(3u, files.changed);
    }
}

TEST(BatchRewrite, ReportsReadAndWriteErrorsAndRefusesAnEmptyOrTooLongDirectory) {
    const size_t kNever = ~size_t(0), kBlock = kBatchBlockSize;
    const std::string dir256(256, 'd');
    const struct {
        size_t readErrorAt, writeLimit;
        const char* dir;
    } rows[] = {{0, kNever, "C:\\PROD"}, {kBlock, kNever, "C:\\PROD"},
                {kNever, 0, "C:\\PROD"}, {kNever, kBlock + 9, "C:\\PROD"},
                {kNever, kNever, ""},    {kNever, kNever, dir256.c_str()}};
    for (const auto& row : rows) {
        MemoryFiles files{std::string(150000, 'x') + "\n" + kLine};
        files.readErrorAt = row.readErrorAt;
        files.writeLimit = row.writeLimit;
        EXPECT_FALSE(files.Rewrite(row.dir)) << row.readErrorAt << " " << row.writeLimit;
    }
}

// Files in memory: every operation after the first `last` fails and changes
// nothing, as when the program is ended there; so does operation `failing`.
using Files = std::map<std::string, std::string>;
Files g_files, g_none;
int g_done, g_last, g_failing;
Files& Step() {
    return ++g_done <= g_last && g_done != g_failing ? g_files : g_none;
}
const BatchFileOperations kMemory = {
    nullptr, [](void*, const char* name) { return Step().count(name) > 0; },
    [](void*, const char* from, const char* to) {
        Files& f = Step();
        return f.count(from) && f.emplace(to, f[from]).second && f.erase(from);
    },
    [](void*, const char* name) { return Step().erase(name) > 0; }};

// Ended after each operation of the replace, or with each failing alone: a
// whole file is there at once, and the next run's recovery leaves the new one
// or the old one in place and nothing else (the new file's name is freed by
// the caller).
TEST(BatchReplace, AWholeFileIsAlwaysThereAndTheNextRunLeavesTheNewOrTheOldOneAlone) {
    for (int cut = 0; cut < 8; ++cut) {
        g_files = {{kBatchFile, "old"}, {kNewBatchFile, "new"}}, g_done = 0;
        g_last = cut % 2 ? 99 : cut / 2, g_failing = cut % 2 ? cut / 2 + 1 : 0;
        bool replaced = ReplaceBatchFile(kMemory);
        EXPECT_TRUE(g_files.count(kBatchFile) || g_files.count(kOldBatchFile)) << cut;
        g_last = 99, g_failing = 0, RecoverBatchFile(kMemory), g_files.erase(kNewBatchFile);
        EXPECT_EQ((Files{{kBatchFile, replaced ? "new" : "old"}}), g_files) << cut;
    }
}

} // namespace

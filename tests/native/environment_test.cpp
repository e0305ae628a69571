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

// Beside the table of the Wine tests and the fuzz target: path lines longer
// than a block, across block ends, read in pieces, of the longest directory too.
TEST(BatchRewrite, LongPathLinesAcrossBlockEndsAndShortReadsAreCutLikeAnyOther) {
    for (const std::string& dir : {std::string("C:\\PROD"), "C:\\" + std::string(252, 'd')}) {
        std::string before, after, line = "SET PATH=" + dir + "\\BIN;\"%PATH%\"";
        // Path lines that start 29 and 10 bytes before a block ends, and right at it.
        for (size_t offset : {29, 10, 0}) {
            size_t start = (before.size() / kBatchBlockSize + 2) * kBatchBlockSize - offset;
            std::string pad(start - before.size() - 1, 'g'), y(70000, 'y');
            before += pad + "\n" + line + y + "\n", after += pad + "\n" + kCut + y + "\n";
        }
        for (size_t chunk : {kBatchBlockSize, size_t(4097), size_t(1)}) {
            MemoryFiles files{before};
            files.chunk = chunk;
            EXPECT_TRUE(files.Rewrite(dir.c_str()));
            EXPECT_TRUE(after == files.out) << "reading " << chunk << " bytes at a time";
            EXPECT_EQ(3u, files.changed);
        }
    }
}

// A write error is the Wine tests' (a full disk under the new copy).
TEST(BatchRewrite, ReportsAReadError) {
    for (size_t at : {size_t(0), kBatchBlockSize}) {
        MemoryFiles files{std::string(150000, 'x') + "\n" + kLine};
        files.readErrorAt = at;
        EXPECT_FALSE(files.Rewrite("C:\\PROD")) << "a read error at " << at;
    }
}

// The batch file, the old one and the new one in memory: their contents as a
// letter each ('.' for none), each with the attributes 5 (read-only, system);
// g_set holds the attributes last set. Every change after the first `last`
// fails and changes nothing, as when the program is ended there; so does
// change `failing`.
std::string g_files;
unsigned long g_set;
int g_done, g_last, g_failing;
char& File(const char* name) {
    return g_files[name == kBatchFile ? 0 : name == kOldBatchFile ? 1 : 2];
}
bool Step(const char* name) {
    return ++g_done <= g_last && g_done != g_failing && File(name) != '.';
}
const BatchFileOperations kMemory = {
    nullptr, [](void*, const char* name) { return File(name) != '.' ? 5ul : kNoFile; },
    [](void*, const char* name, unsigned long attributes) {
        return Step(name) && (g_set = attributes);
    },
    [](void*, const char* from, const char* to) {
        return File(to) == '.' && Step(from) && (std::swap(File(from), File(to)), true);
    },
    [](void*, const char* name) { return Step(name) && (File(name) = '.'); }};

// Ended after each change of the replace, or with each failing alone, and
// then, with or without a new batch file written by someone else meanwhile,
// the next run: a whole file is there at every instant, the replace's new
// one has the old one's attributes and the archive bit, at the end the newest
// is in place, and the old one is kept while it is its only copy.
TEST(BatchReplace, AWholeFileIsAlwaysThereAndTheNextRunKeepsTheNewestAndEveryOnlyCopy) {
    for (int cut = 0; cut < 12; ++cut) {
        for (bool written : {false, true}) {
            g_files = "o.n", g_set = 0, g_done = 0; // old and new contents
            g_last = cut % 2 ? 99 : cut / 2, g_failing = cut % 2 ? cut / 2 + 1 : 0;
            BatchReplace replaced = ReplaceBatchFile(kMemory);
            std::string atCut = g_files;
            EXPECT_EQ("no."[replaced], atCut[0]) << cut; // replaced, unchanged, missing
            EXPECT_TRUE(atCut[0] != 'n' || g_set == 0x25) << cut;
            g_files[0] = written ? 'u' : atCut[0];
            bool done;
            g_last = 99, g_failing = 0, RecoverBatchFile(kMemory, &done);
            EXPECT_EQ(written ? 'u' : atCut[0] == 'n' ? 'n' : 'o', g_files[0]) << cut;
            EXPECT_TRUE(atCut[0] != '.' || g_files.find('o') != std::string::npos) << cut;
        }
    }
}

// What the next run decides by the three names; and when its first change
// fails, it changes nothing at all.
TEST(BatchReplace, TheNextRunDecidesByTheThreeNamesAndAFailedStepChangesNothing) {
    const std::string rows[][2] = {{"...", "..."}, {"b..", "b.."}, {"b.s", "b.."}, {"..s", "..s"},
                                   {".os", "o.."}, {".o.", "o.."}, {"bo.", "b.."}, {"bos", "bos"}};
    for (const auto& row : rows) {
        for (int failing : {0, 1}) {
            g_files = row[0], g_done = 0, g_last = 99, g_failing = failing;
            bool done;
            RecoverBatchFile(kMemory, &done);
            EXPECT_EQ(failing ? row[0] : row[1], g_files) << row[0] << " failing " << failing;
            EXPECT_EQ(!failing || row[0] == row[1], done) << row[0];
        }
    }
}

} // namespace

// The environment cleanup that precedes the base component's uninstaller,
// proven with the real qvuninst.exe: the stub uninstaller writes down Path,
// CLASSPATH and c:\autoexec.bat as it finds them when it starts.
#include "harness.h"

namespace {

const char kDir[] = "C:\\PROD";
const char kArchives[] = "C:\\PROD\\wkdocs\\wkdocs.zip;C:\\PROD\\wkdocs\\aqvxsg.zip;";
const char kBatchFile[] = "c:\\autoexec.bat";
const char kTemporaryFile[] = "c:\\aut0exec.qvs";

std::string Stored(const StoredValue& value) {
    return value.exists ? std::to_string(value.type) + " " + value.text : "none";
}

bool Exists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

class Cleanup : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        SetInstallDirectory(kDir);
        RegisterComponent("ClientBase", "C:\\PROD\\uninst\\base.isu");
    }

    // Removes the base component and returns the stub's one record of it.
    Invocation RemoveBase() {
        EXPECT_EQ(0u, Run("-c ClientBase"));
        std::vector<Invocation> record = Record();
        EXPECT_EQ(1u, record.size());
        if (record.empty())
            return Invocation();
        EXPECT_EQ("uninst.exe -a -f\"C:\\PROD\\uninst\\base.isu\"", record[0].commandLine);
        return record[0];
    }
};

class CleanupOnNt : public Cleanup {
  protected:
    void SetUp() override {
        if (MatrixIsWindows9x())
            GTEST_SKIP() << "the program sees the 95/98 family in this run";
        Cleanup::SetUp();
    }
};

TEST_F(CleanupOnNt, CutsTheEntriesBeforeTheBaseUninstallerStarts) {
    SetEnvironment("Path", REG_SZ, "%SystemRoot%\\system32;C:\\PROD\\BIN;%SystemRoot%;C:\\B");
    SetEnvironment("CLASSPATH", REG_EXPAND_SZ,
                   std::string("%JAVA%\\lib;") + kArchives + "C:\\PROD\\java\\lib;.");
    Invocation base = RemoveBase();
    // Path is always stored as REG_EXPAND_SZ; CLASSPATH keeps its type.
    EXPECT_EQ("2 %SystemRoot%\\system32;%SystemRoot%;C:\\B", base.path);
    EXPECT_EQ("2 %JAVA%\\lib;.", base.classPath);
    EXPECT_EQ(base.path, Stored(GetEnvironment("Path")));
    EXPECT_EQ(base.classPath, Stored(GetEnvironment("CLASSPATH")));

    // A second cleanup finds nothing more to cut and changes nothing.
    DeleteFileA(recordPath_.c_str());
    RegisterComponent("ClientBase", "C:\\PROD\\uninst\\base.isu");
    base = RemoveBase();
    EXPECT_EQ("2 %SystemRoot%\\system32;%SystemRoot%;C:\\B", base.path);
    EXPECT_EQ("2 %JAVA%\\lib;.", base.classPath);
}

TEST_F(CleanupOnNt, WritesBackUnchangedTextsAndCreatesNothing) {
    SetEnvironment("Path", REG_SZ, "C:\\A;C:\\PROD\\BIN");
    DeleteEnvironment("CLASSPATH");
    Invocation base = RemoveBase();
    // The entry last without its ";" stays, but Path is stored again.
    EXPECT_EQ("2 C:\\A;C:\\PROD\\BIN", base.path);
    EXPECT_EQ("none", base.classPath);

    ResetInstallation();
    SetInstallDirectory(kDir);
    RegisterComponent("ClientBase", "C:\\PROD\\uninst\\base.isu");
    DeleteFileA(recordPath_.c_str());
    SetEnvironment("CLASSPATH", REG_SZ, "C:\\PROD\\wkdocs\\aqvxsg.zip;C:\\PROD\\java\\lib;");
    base = RemoveBase();
    // A REG_SZ CLASSPATH stays REG_SZ; the lone second archive stays.
    EXPECT_EQ("1 C:\\PROD\\wkdocs\\aqvxsg.zip;", base.classPath);
}

TEST_F(CleanupOnNt, MatchesExactlyOrInUpperCase) {
    SetInstallDirectory("c:\\prod");
    SetEnvironment("Path", REG_EXPAND_SZ, "C:\\A;C:\\PROD\\BIN;c:\\Prod\\bin;");
    SetEnvironment("CLASSPATH", REG_SZ, "c:\\prod\\java\\LIB;C:\\PROD\\JAVA\\LIB;");
    Invocation base = RemoveBase();
    EXPECT_EQ("2 C:\\A;c:\\Prod\\bin;", base.path);
    EXPECT_EQ("1 c:\\prod\\java\\LIB;", base.classPath);
}

TEST_F(CleanupOnNt, ValuesOfMoreThan511CharactersAreLeftAlone) {
    std::string fits = "C:\\PROD\\BIN;" + std::string(511 - 12, 'p');
    std::string tooLong = "C:\\PROD\\java\\lib;" + std::string(512 - 17, 'c');
    ASSERT_EQ(511u, fits.size());
    ASSERT_EQ(512u, tooLong.size());
    SetEnvironment("Path", REG_EXPAND_SZ, fits);
    SetEnvironment("CLASSPATH", REG_SZ, tooLong);
    Invocation base = RemoveBase();
    EXPECT_EQ("2 " + std::string(499, 'p'), base.path);
    EXPECT_EQ("1 " + tooLong, base.classPath);
}

TEST_F(CleanupOnNt, ADirectoryOf255CharactersIsCutWhole) {
    // The archive pair of such a directory (548 characters) cannot stand in
    // a value the store reads; the other two entries can.
    std::string dir = "C:\\" + std::string(252, 'd');
    SetInstallDirectory(dir);
    SetEnvironment("Path", REG_SZ, "A;" + dir + "\\BIN;B");
    SetEnvironment("CLASSPATH", REG_SZ, "A;" + dir + "\\java\\lib;B");
    Invocation base = RemoveBase();
    EXPECT_EQ("2 A;B", base.path);
    EXPECT_EQ("1 A;B", base.classPath);
}

TEST_F(CleanupOnNt, AnUnreadableOrEmptyInstallDirectoryCutsNothing) {
    const std::string path = "C:\\X\\BIN;C:\\B";
    const std::string classPath =
        std::string("\\wkdocs\\wkdocs.zip;\\wkdocs\\aqvxsg.zip;") + "\\java\\lib;";
    for (const char* dir : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(dir == nullptr ? "no FilePath" : "empty FilePath");
        ResetInstallation();
        if (dir != nullptr)
            SetInstallDirectory(dir);
        RegisterComponent("ClientBase", "C:\\PROD\\uninst\\base.isu");
        DeleteFileA(recordPath_.c_str());
        SetEnvironment("Path", REG_SZ, path);
        SetEnvironment("CLASSPATH", REG_SZ, classPath);
        Invocation base = RemoveBase();
        EXPECT_EQ("1 " + path, base.path);
        EXPECT_EQ("1 " + classPath, base.classPath);
    }
}

TEST_F(CleanupOnNt, OnlyTheBaseComponentCleans) {
    RegisterComponent("Alpha", "C:\\PROD\\uninst\\alpha.isu");
    RegisterComponent("clientbase2", "C:\\PROD\\uninst\\x.isu");
    SetEnvironment("Path", REG_SZ, "C:\\PROD\\BIN;");
    EXPECT_EQ(0u, Run("-c Alpha -c clientbase2 -c CLIENTBASE"));
    EXPECT_EQ(3u, Record().size());
    EXPECT_EQ("1 C:\\PROD\\BIN;", Stored(GetEnvironment("Path")));
}

class CleanupOnWindows98 : public Cleanup {
  protected:
    void SetUp() override {
        if (MatrixIsWindowsNt())
            GTEST_SKIP() << "the program sees the NT family in this run";
        Cleanup::SetUp();
        ReportWindows98();
    }
};

TEST_F(CleanupOnWindows98, RewritesTheBatchFileAndCleansClassPathInTheRegistry) {
    const std::string registryPath = "C:\\A;C:\\PROD\\BIN;C:\\B";
    SetEnvironment("Path", REG_SZ, registryPath);
    SetEnvironment("CLASSPATH", REG_SZ, std::string("X;") + kArchives + "C:\\PROD\\java\\lib;Y");
    WriteWholeFile(kBatchFile, "@ECHO OFF\r\n"
                               "SET PATH=C:\\PROD\\BIN;\"%PATH%\"\r\n"
                               "set path=c:\\prod\\bin;\"%path%\";D:\\TOOLS\r\n"
                               "  SET PATH=C:\\PROD\\BIN;\"%PATH%\"\r\n"
                               "SET PATH=C:\\PROD\\BIN;%PATH%\r\n"
                               "SET CLASSPATH=C:\\PROD\\java\\lib;%CLASSPATH%\r\n");
    Invocation base = RemoveBase();
    EXPECT_EQ("@ECHO OFF\r\n"
              "SET PATH=\"%PATH%\"\r\n"
              "set path=\"%path%\";D:\\TOOLS\r\n"
              "  SET PATH=C:\\PROD\\BIN;\"%PATH%\"\r\n"
              "SET PATH=C:\\PROD\\BIN;%PATH%\r\n"
              "SET CLASSPATH=C:\\PROD\\java\\lib;%CLASSPATH%\r\n",
              FromHex(base.autoexec));
    EXPECT_EQ("1 " + registryPath, base.path);
    EXPECT_EQ("1 X;Y", base.classPath);
    EXPECT_FALSE(Exists(kTemporaryFile));
}

TEST_F(CleanupOnWindows98, EveryOtherByteOfTheBatchFilePassesThrough) {
    static const char kContent[] = "REM \0\x1A\xFF\r\nSET PATH=C:\\PROD\\BIN;\"%PATH%\"\0\x1A";
    static const char kExpected[] = "REM \0\x1A\xFF\r\nSET PATH=\"%PATH%\"\0\x1A";
    std::string content(kContent, sizeof kContent - 1);
    content += std::string(12000, 'x') + "SET PATH=C:\\PROD\\BIN;\"%PATH%\"\n";
    WriteWholeFile(kBatchFile, content);
    Invocation base = RemoveBase();
    std::string expected(kExpected, sizeof kExpected - 1);
    expected += std::string(12000, 'x') + "SET PATH=C:\\PROD\\BIN;\"%PATH%\"\n";
    EXPECT_EQ(expected, FromHex(base.autoexec));
    EXPECT_FALSE(Exists(kTemporaryFile));
}

TEST_F(CleanupOnWindows98, ABlockedTemporaryFileLeavesTheBatchFileAsItWas) {
    const std::string content = "SET PATH=C:\\PROD\\BIN;\"%PATH%\"\r\n";
    WriteWholeFile(kBatchFile, content);
    ASSERT_TRUE(CreateDirectoryA(kTemporaryFile, NULL));
    RemoveBase();
    std::string after;
    ASSERT_TRUE(ReadWholeFile(kBatchFile, &after));
    EXPECT_EQ(content, after);
    RemoveDirectoryA(kTemporaryFile);
}

TEST_F(CleanupOnWindows98, ANoBatchFileOrNoInstallDirectoryChangesNothing) {
    DeleteFileA(kBatchFile);
    RemoveBase();
    EXPECT_FALSE(Exists(kBatchFile));
    EXPECT_FALSE(Exists(kTemporaryFile));

    const std::string content = "SET PATH=C:\\PROD\\BIN;\"%PATH%\"\r\n";
    WriteWholeFile(kBatchFile, content);
    ResetInstallation();
    RegisterComponent("ClientBase", "C:\\PROD\\uninst\\base.isu");
    DeleteFileA(recordPath_.c_str());
    Invocation base = RemoveBase();
    EXPECT_EQ(content, FromHex(base.autoexec));
}

TEST_F(CleanupOnWindows98, AProtectedBatchFileIsRewrittenOrLeftWhole) {
    const std::string content = "REM keep\r\nSET PATH=C:\\PROD\\BIN;\"%PATH%\"\r\nREM end\r\n";
    const std::string rewritten = "REM keep\r\nSET PATH=\"%PATH%\"\r\nREM end\r\n";
    for (DWORD attributes : {DWORD(FILE_ATTRIBUTE_READONLY), DWORD(FILE_ATTRIBUTE_HIDDEN),
                             DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)}) {
        SCOPED_TRACE("attributes " + std::to_string(attributes));
        SetFileAttributesA(kBatchFile, FILE_ATTRIBUTE_NORMAL);
        WriteWholeFile(kBatchFile, content);
        SetFileAttributesA(kBatchFile, attributes);
        RegisterComponent("ClientBase", "C:\\PROD\\uninst\\base.isu");
        DeleteFileA(recordPath_.c_str());
        RemoveBase();
        std::string after;
        ASSERT_TRUE(ReadWholeFile(kBatchFile, &after));
        EXPECT_TRUE(after == content || after == rewritten) << after;
        EXPECT_FALSE(Exists(kTemporaryFile));
    }
}

} // namespace

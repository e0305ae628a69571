// Silent removals by the real qvuninst.exe, one row each: the machine
// before, the Windows version reported, the tail, then the uninstaller calls,
// the environment seen by the last of them and left after, and the log.
#include "harness.h"

#include <regex>
#include <sstream>

using namespace std::string_literals;

namespace {

const Component kAlpha{"Alpha", "C:\\Q\\alpha.isu"}, kBeta{"Beta", "C:\\Q\\beta.isu"},
    kBase{"ClientBase", "C:\\Q\\base.isu"};
const std::string kArchives = "C:\\PROD\\wkdocs\\wkdocs.zip;C:\\PROD\\wkdocs\\aqvxsg.zip;";
const std::string kLine = "SET PATH=C:\\PROD\\BIN;\"%PATH%\"", kCut = "SET PATH=\"%PATH%\"";
const std::string kLongDir = "C:\\" + std::string(252, 'd');

struct Row {
    const char* guards;
    const char* windows;
    std::vector<Component> installed = {kBase};
    std::optional<std::string> dir = "C:\\PROD";
    // Before, as Snapshot() describes them; after, when it differs.
    std::string path = "none", classPath = "none", autoexec = "none";
    std::string tail = " -c ClientBase"; // after the quoted program name
    std::vector<std::string> files = {kBase.file}; // the uninstaller's, in order
    std::string pathAfter = "", classPathAfter = "", autoexecAfter = "";
    bool uninstaller = true;
    int exitCode = 0; // the stub's
    std::string logFile = "";
    // The log's lines, in order, each matched by pieces split at '*'.
    std::vector<std::string> log = {};
};

const Row kRows[] = {
    {.guards = "TokensRunFromLastToFirstEachAfterTheOneBeforeEnded", .windows = "win98",
     .installed = {kAlpha, kBeta, kBase}, .tail = " -c Alpha -c Beta",
     .files = {kBeta.file, kAlpha.file}},
    {.guards = "TheTailMayTouchTheQuotedNameAndAnyTwoCharactersFollowTheDash",
     .windows = "nt40", .installed = {kAlpha}, .tail = "-xyAlpha", .files = {kAlpha.file}},
    {.guards = "NamesAndFilesWithBlanksArePassedWhole", .windows = "win95",
     .installed = {{"My Part", "C:\\Program Files\\Q\\My Part.isu"}}, .tail = " -c My Part \t",
     .files = {"C:\\Program Files\\Q\\My Part.isu"}},
    {.guards = "TextWithoutAWholeTokenRemovesNothing", .windows = "win10", .installed = {kAlpha},
     .tail = " /c Alpha -c", .files = {}},
    {.guards = "NamesOrFilesThatCannotBeReadGiveAnEmptyFile", .windows = "winme",
     .installed = {kAlpha, {"Fits", std::string(255, 'f')}, {"TooLong", std::string(256, 'f')},
                   {"Raw", std::string(256, 'r'), REG_BINARY}, {"Bare", "C:\\Q\\b", REG_BINARY}},
     .tail = " -c  Alpha -c " + std::string(600, 'N') + " -c TooLong -c Fits -c Raw -c Bare",
     .files = {"C:\\Q\\b", "", std::string(255, 'f'), "", "", ""}},
    {.guards = "OnlyTheExactNameClientBaseCleans", .windows = "win2k",
     .installed = {kAlpha, kBase}, .path = "1 C:\\PROD\\BIN;", .classPath = "1 C:\\PROD\\java\\lib;",
     .tail = " -c Alpha -c Client\xAD" "Base -c CLIENTBASE", .files = {kBase.file, "", kAlpha.file}},
    // The cleanup on the NT family.
    {.guards = "CutsEachEntryOnceBeforeTheBaseUninstallerAndStoresPathExpandable",
     .windows = "winxp", .path = "1 %SystemRoot%;C:\\PROD\\BIN;C:\\B;C:\\PROD\\BIN;",
     .classPath = "2 %J%\\lib;" + kArchives + "C:\\PROD\\java\\lib;.",
     .pathAfter = "2 %SystemRoot%;C:\\B;C:\\PROD\\BIN;", .classPathAfter = "2 %J%\\lib;."},
    {.guards = "CharactersOutsideTheCodePageSurviveInTheDirectoryAndTheValues",
     .windows = "win10", .dir = "C:\\Données\\日本",
     .path = "1 C:\\Ελλάδα;C:\\Données\\日本\\BIN;C:\\B😀",
     .classPath = "1 C:\\Ελλάδα\\x.jar;C:\\Données\\日本\\java\\lib;",
     .pathAfter = "2 C:\\Ελλάδα;C:\\B😀", .classPathAfter = "1 C:\\Ελλάδα\\x.jar;"},
    {.guards = "AValueWithNothingToCutIsNotWritten", .windows = "nt40",
     .path = "1 C:\\A;C:\\PROD\\BIN", .classPath = "1 C:\\Ελλάδα\\x.jar;C:\\PROD\\wkdocs"},
    {.guards = "ACutClasspathStaysRegSzAndALoneArchiveStays", .windows = "win7",
     .classPath = "1 C:\\PROD\\wkdocs\\aqvxsg.zip;C:\\PROD\\java\\lib;",
     .classPathAfter = "1 C:\\PROD\\wkdocs\\aqvxsg.zip;"},
    {.guards = "BinaryAndNumberValuesAreLeftAlone", .windows = "winxp", .path = "3 C:\\PROD\\BIN;",
     .classPath = "4 C:\\PROD\\java\\lib;"},
    {.guards = "MultiStringsAndTextAfterANulAreLeftAlone", .windows = "win2k",
     .path = "1 C:\\PROD\\BIN;\0C:\\PROD\\BIN;"s, .classPath = "7 X;C:\\PROD\\java\\lib;Y\0Z\0"s},
    {.guards = "EntriesMatchAsWrittenOrInUpperCaseOnly", .windows = "win2k", .dir = "c:\\prod",
     .path = "2 C:\\A;C:\\PROD\\BIN;c:\\Prod\\bin;",
     .classPath = "1 c:\\prod\\java\\LIB;C:\\PROD\\JAVA\\LIB;", .pathAfter = "2 C:\\A;c:\\Prod\\bin;",
     .classPathAfter = "1 c:\\prod\\java\\LIB;"},
    {.guards = "ValuesOfMoreThan511CharactersAreLeftAlone", .windows = "win10",
     .path = "2 C:\\PROD\\BIN;日本" + std::string(497, 'p'),
     .classPath = "1 C:\\PROD\\java\\lib;" + std::string(495, 'c'),
     .pathAfter = "2 日本" + std::string(497, 'p')},
    {.guards = "ADirectoryOf255CharactersIsCutWhole", .windows = "nt40", .dir = kLongDir,
     .path = "1 A;" + kLongDir + "\\BIN;B", .classPath = "1 A;" + kLongDir + "\\java\\lib;B",
     .pathAfter = "2 A;B", .classPathAfter = "1 A;B"},
    {.guards = "ADirectoryTooLongToReadCutsNothing", .windows = "win7", .dir = kLongDir + "x",
     .path = "1 A;" + kLongDir + "\\BIN;B"},
    {.guards = "NoInstallDirectoryCutsNothing", .windows = "winxp", .dir = std::nullopt,
     .path = "1 \\BIN;C:\\B", .classPath = "1 \\wkdocs\\wkdocs.zip;\\wkdocs\\aqvxsg.zip;\\java\\lib;"},
    // The cleanup on the 95/98 family: Path in c:\autoexec.bat.
    {.guards = "On98EveryPathLineOfAutoexecLosesTheDirectoryAndClasspathIsCut",
     .windows = "win98", .path = "1 C:\\A;C:\\PROD\\BIN;C:\\B",
     .classPath = "1 X;" + kArchives + "C:\\PROD\\java\\lib;Y",
     .autoexec = "@ECHO OFF\r\n" + kLine + "\r\nset path=c:\\prod\\bin;\"%path%\";D:\\T\r\n  " +
                 kLine + "\r\nSET PATH=C:\\PROD\\BIN;%PATH%\r\n",
     .classPathAfter = "1 X;Y",
     .autoexecAfter = "@ECHO OFF\r\n" + kCut + "\r\nset path=\"%path%\";D:\\T\r\n  " + kLine +
                      "\r\nSET PATH=C:\\PROD\\BIN;%PATH%\r\n"},
    {.guards = "On95EveryOtherByteOfAutoexecPassesThrough", .windows = "win95",
     .autoexec = "REM \0\x1A\xFF\r\n"s + kLine + "\0"s + std::string(12000, 'x') + kLine + "\n" + kLine,
     .autoexecAfter = "REM \0\x1A\xFF\r\n"s + kCut + "\0"s + std::string(12000, 'x') + kLine + "\n" + kCut},
    {.guards = "OnMeNoAutoexecIsCreated", .windows = "winme",
     .classPath = "2 C:\\PROD\\java\\lib;%CLASSPATH%", .classPathAfter = "2 %CLASSPATH%"},
    {.guards = "On98AnEmptyInstallDirectoryCutsNothing", .windows = "win98", .dir = "",
     .classPath = "1 \\java\\lib;X", .autoexec = "SET PATH=\\BIN;\"%PATH%\"\r\n"},
    // The removal log.
    {.guards = "TheLogTellsEachCallItsExitCodeAndTheCutsOnNt", .windows = "winxp",
     .installed = {kAlpha, kBase}, .path = "2 C:\\A;C:\\PROD\\BIN;", .classPath = "4 x",
     .tail = " -c ClientBase -c Alpha", .files = {kAlpha.file, kBase.file},
     .pathAfter = "2 C:\\A;", .exitCode = 3, .logFile = "C:\\qv log.txt",
     .log = {"silent*-c ClientBase -c Alpha*NT", "\"Alpha\"*uninst.exe -a -f\"C:\\Q\\alpha.isu\"",
             "\"Alpha\"*exit code 3", "Path*C:\\PROD\\BIN;", "CLASSPATH*not*text",
             "\"ClientBase\"*exit code 3", "exit code 0"}},
    {.guards = "TheLogTellsAMissingUninstallerAndTheChangedLinesOn98", .windows = "win98",
     .autoexec = kLine + "\r\nREM\r\n" + kLine, .files = {},
     .autoexecAfter = kCut + "\r\nREM\r\n" + kCut, .uninstaller = false, .logFile = "C:\\qv log.txt",
     .log = {"silent*95/98", "autoexec.bat*2 lines", "\"ClientBase\"*could not be started*2",
             "exit code 0"}},
    {.guards = "ALogThatCannotBeWrittenChangesNothing", .windows = "win10",
     .path = "2 C:\\PROD\\BIN;C:\\B", .pathAfter = "2 C:\\B", .logFile = "C:\\no dir\\log.txt"},
};

class SilentRemoval : public ::testing::TestWithParam<Row> {};

// Whether line holds the pieces of pattern, split at '*', in this order.
bool Matches(const std::string& line, const std::string& pattern) {
    size_t at = 0;
    for (size_t start = 0, star; start <= pattern.size(); start = star + 1) {
        star = std::min(pattern.find('*', start), pattern.size());
        if ((at = line.find(pattern.substr(start, star - start), at)) == std::string::npos)
            return false;
    }
    return true;
}

TEST_P(SilentRemoval, EndsWithZeroAfterItsCallsAndLeavesTheMachineAsExpected) {
    const Row& row = GetParam();
    PrepareProgram(row.uninstaller);
    Install(row.installed, row.dir);
    SetEnvironment(row.path, row.classPath, row.autoexec);
    ReportWindows(row.windows);
    SetEnvironmentVariableA("QVTEST_SLEEP_MS", "100");
    SetEnvironmentVariableA("QVTEST_EXIT_CODE", std::to_string(row.exitCode).c_str());
    SetEnvironmentVariableA("QVUNINST_LOG", row.logFile.empty() ? NULL : row.logFile.c_str());
    DeleteFileA(row.logFile.c_str());
    PROCESS_INFORMATION program = StartProgram(row.tail);
    EXPECT_EQ(0u, FinishProgram(program));

    std::vector<Call> calls = RecordedCalls();
    EXPECT_EQ(CommandLines(row.files), CommandLines(calls));
    ExpectOneAfterAnother(calls, Now());
    std::string after = Described(row.pathAfter.empty() ? row.path : row.pathAfter,
                                  row.classPathAfter.empty() ? row.classPath : row.classPathAfter,
                                  row.autoexecAfter.empty() ? row.autoexec : row.autoexecAfter);
    if (!calls.empty()) {
        EXPECT_EQ(after, calls.back().seen) << "as the last uninstaller saw it";
    }
    EXPECT_EQ(after, Snapshot());
    EXPECT_EQ("none", FileBytes("c:\\aut0exec.qvs"));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((kProgramDir + "*"s).c_str(), &found);
    int files = 0;
    do
        files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(row.uninstaller ? 2 : 1, files) << "a file appeared beside the program";

    std::string log = FileBytes(row.logFile), line;
    std::istringstream lines(log);
    for (const std::string& expected : row.log) {
        bool found = false;
        while (!found && std::getline(lines, line))
            found = Matches(line, expected);
        EXPECT_TRUE(found) << "no line " << expected << " in this order in the log:\n" << log;
    }
    std::regex stamped("(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d [^\r\n]*\r\n)+");
    EXPECT_TRUE(row.log.empty() || std::regex_match(log, stamped)) << log;
}

INSTANTIATE_TEST_SUITE_P(, SilentRemoval, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& row) { return row.param.guards; });

} // namespace

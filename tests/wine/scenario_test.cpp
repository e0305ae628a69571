// Silent removals by the real qvuninst.exe, a row each: the machine before,
// the Windows version it reports, the tail; then the uninstaller calls, the
// environment the last of them saw and the one left after, and the log.
#include "harness.h"

#include <fstream>
#include <regex>

using namespace std::string_literals;

namespace {

// A value as Snapshot() describes it, before the run and after it (the same
// when empty).
struct Change {
    std::string before = "none", after = "";
};

// What else a row puts in the program's way.
enum Twist {
    kNoTwist,
    kFirstUninstallerRunsLong,      // 3 s, longer than any wait with a time-out
    kFirstUninstallerDeletesTheKey, // the whole Components key, as a base one may
    kDiskFillsUp,                   // c:\aut0exec.qvs fills drive C: half-way
    kLeftoversOfAnInterruptedRun,   // only c:\aut0exec.qvo, and a stale c:\aut0exec.qvs
    kDecoyInTheCurrentFolder,   // uninst.exe there, the real one in the system and Windows folders
    kUninstallerAtTheEndOfPath, // in PATH's last folder alone, a decoy in C:\ and "C:" before it
    kLogIsHeldThenTheDiskFillsUp, // unshared, then full, as the first uninstaller ends
    kNoLockThenTheDiskFillsUp,    // the same, but no line gets the log's lock
};

// The machine before, what else is in the program's way, the log's lines in
// order (each as pieces split at '*'; "C:\qv log.txt" is asked for when there
// are any), the program's tail (after its quoted name), and what must follow:
// the files of the uninstallers called, in order.
struct Row {
    const char *guards, *windows;
    Change path, classPath, autoexec = {};
    std::optional<std::string> dir = "C:\\PROD";
    Twist twist = kNoTwist;
    std::vector<std::string> log = {};
    std::vector<Component> installed = {kBase};
    std::string tail = " -c ClientBase";
    std::vector<std::string> files = {kBase.file};
    bool uninstaller = true;
    int exitCode = 0; // the stub's
};

const std::string kArchives = "C:\\PROD\\wkdocs\\wkdocs.zip;C:\\PROD\\wkdocs\\aqvxsg.zip;";
const std::string kLine = "SET PATH=C:\\PROD\\BIN;\"%PATH%\"", kCut = "SET PATH=\"%PATH%\"";
const std::string kLongDir = "C:\\" + std::string(252, 'd');
const std::string kOtherLine = "2000-01-01 00:00:00 -0930 - qvuninst[1]: ";
// 999 bytes count, and escaped to four bytes each they outgrow any short line.
const std::string kTail = "\\x" + std::string(800, '\1') + " -c ClientBase -c Alpha\r\n",
                  kPad(999 - kTail.size(), ' ');

const Row kRows[] = {
    // Tokens and what they start.
    Row("TokensRunFromLastToFirstEachAfterTheOneBeforeEndedWithBlanksPassedWhole", "win98", {}, {},
        {}, "C:\\PROD", kFirstUninstallerRunsLong, {},
        {kAlpha, {"My Part", "C:\\Program Files\\Q\\My Part.isu"}, kBase},
        " -c Alpha -c My Part \t", {"C:\\Program Files\\Q\\My Part.isu", kAlpha.file}),
    Row("NamesOrFilesThatCannotBeReadGiveAnEmptyFile", "winme", {}, {}, {}, "C:\\PROD", kNoTwist,
        {},
        {kAlpha,
         {"Fits", std::string(255, 'f')},
         {"TooLong", std::string(256, 'f')},
         {"Raw", std::string(256, 'r'), REG_BINARY},
         {"Bare", "C:\\Q\\b", REG_BINARY}},
        " -c  Alpha -c " + std::string(600, 'N') + " -c TooLong -c Fits -c Raw -c Bare",
        {"C:\\Q\\b", "", std::string(255, 'f'), "", "", ""}),
    // After the first, the whole Components key goes: the next get no stale file.
    Row("OnlyTheExactNameClientBaseCleansAndNoFileIsStale", "win2k", {"1 C:\\PROD\\BIN;"},
        {"1 C:\\PROD\\java\\lib;"}, {}, "C:\\PROD", kFirstUninstallerDeletesTheKey, {},
        {kAlpha, kBase}, " -c Client\255Base -c Alpha -c CLIENTBASE", {kBase.file, "", ""}),
    // The cleanup on the NT family.
    Row("CutsEachEntryOnceBeforeTheBaseUninstallerAndStoresPathExpandable", "winxp",
        {"1 %SystemRoot%;C:\\PROD\\BIN;C:\\B;C:\\PROD\\BIN;",
         "2 %SystemRoot%;C:\\B;C:\\PROD\\BIN;"},
        {"2 %J%\\lib;" + kArchives + "C:\\PROD\\java\\lib;.", "2 %J%\\lib;."}),
    Row("CharactersOutsideTheCodePageSurviveAndTheStartLineNamesWindows10", "win10",
        {"1 C:\\Ελλάδα;C:\\Données\\日本\\BIN;C:\\B😀", "2 C:\\Ελλάδα;C:\\B😀"},
        {"1 C:\\Ελλάδα\\x.jar;C:\\Données\\日本\\java\\lib;", "1 C:\\Ελλάδα\\x.jar;"}, {},
        "C:\\Données\\日本", kNoTwist, {"NT family, version 10.0 build"}),
    Row("UncutValuesAreNotWrittenAndACutClasspathStaysRegSz", "nt40", {"1 C:\\A;C:\\PROD\\BIN"},
        {"1 C:\\PROD\\wkdocs\\aqvxsg.zip;C:\\PROD\\java\\lib;", "1 C:\\PROD\\wkdocs\\aqvxsg.zip;"}),
    Row("BinaryValuesAndTextAfterANulAreLeftAlone", "win2k", {"3 C:\\PROD\\BIN;"},
        {"1 X;C:\\PROD\\java\\lib;Y\0Z"s}),
    Row("ValuesOfMoreThan511CharactersAreLeftAlone", "win10",
        {"2 C:\\PROD\\BIN;日本" + std::string(497, 'p'), "2 日本" + std::string(497, 'p')},
        {"1 C:\\PROD\\java\\lib;" + std::string(495, 'c')}),
    Row("ADirectoryOf255CharactersIsCutWhole", "nt40", {"1 A;" + kLongDir + "\\BIN;B", "2 A;B"},
        {"1 A;" + kLongDir + "\\java\\lib;B", "1 A;B"}, {}, kLongDir),
    Row("ADirectoryTooLongToReadCutsNothing", "win7", {"1 A;" + kLongDir + "\\BIN;B"}, {}, {},
        kLongDir + "x"),
    Row("NoInstallDirectoryCutsNothing", "winxp", {"1 \\BIN;C:\\B"},
        {"1 \\wkdocs\\wkdocs.zip;\\wkdocs\\aqvxsg.zip;\\java\\lib;"}, {}, std::nullopt),
    // The cleanup on the 95/98 family: Path lives in c:\autoexec.bat.
    Row("On98EveryPathLineOfAutoexecLosesTheDirectoryAndClasspathIsCut", "win98",
        {"1 C:\\A;C:\\PROD\\BIN;C:\\B"}, {"1 X;" + kArchives + "C:\\PROD\\java\\lib;Y", "1 X;Y"},
        {"@ECHO OFF\r\n" + kLine + "\r\nset path=c:\\prod\\bin;\"%path%\";D:\\T\r\n  " + kLine +
             "\r\nSET PATH=C:\\PROD\\BIN;%PATH%\r\n",
         "@ECHO OFF\r\n" + kCut + "\r\nset path=\"%path%\";D:\\T\r\n  " + kLine +
             "\r\nSET PATH=C:\\PROD\\BIN;%PATH%\r\n"}),
    Row("On95EveryOtherByteOfAutoexecPassesThrough", "win95", {}, {},
        {"REM \0\x1A\xFF\r\n"s + kLine + "\0"s + std::string(12000, 'x') + kLine + "\n" + kLine,
         "REM \0\x1A\xFF\r\n"s + kCut + "\0"s + std::string(12000, 'x') + kLine + "\n" + kCut}),
    Row("On98AutoexecStaysWholeWhenTheDiskFillsUpUnderItsNewCopy", "win98", {}, {},
        {kLine + "\r\n" + std::string(1 << 16, 'x') + "\r\n" + kLine}, "C:\\PROD", kDiskFillsUp),
    Row("On98AReplaceCutShortIsUndoneWhateverGoes", "win98", {}, {},
        {kLine + "\r\n", kLine + "\r\n"}, "C:\\PROD", kLeftoversOfAnInterruptedRun,
        {"start-up file*putting c:\\aut0exec.qvo back"}, {kAlpha}, " -c Alpha", {kAlpha.file}),
    Row("On98AutoexecWithNothingToCutKeepsItsBytesAndTime", "win98", {}, {},
        {"SET PATH=C:\\PRODUCT\\BIN;\"%PATH%\"\r\nREM " + kLine + "\r\n"}),
    Row("OnMeNoAutoexecIsCreated", "winme", {},
        {"2 C:\\PROD\\java\\lib;%CLASSPATH%", "2 %CLASSPATH%"}),
    Row("On98AnEmptyInstallDirectoryCutsNothing", "win98", {}, {"1 \\java\\lib;X"},
        {"SET PATH=\\BIN;\"%PATH%\"\r\n"}, ""),
    // Where the uninstaller is looked for.
    Row("TheUninstallerIsLookedForInTheWindowsFolderNeverInTheCurrentOneAndValuesLeftAloneSayWhy",
        "winxp", {"1 "}, {"1 " + std::string(512, 'c')}, {}, "C:\\PROD", kDecoyInTheCurrentFolder,
        {"Path: left alone: it is empty", "CLASSPATH: left alone: it is longer than 511",
         "\"ClientBase\": starting C:\\windows\\system32\\uninst.exe as uninst.exe -a -f"}),
    Row("TheUninstallerIsLookedForInTheLastFolderOfPathAndOnlyInFoldersNamedWhole", "winxp", {}, {},
        {}, "C:\\PROD", kUninstallerAtTheEndOfPath),
    // The removal log.
    Row("TheLogTellsEachCallItsExitCodeAndTheCutsOnNt", "winxp",
        {"2 C:\\A;C:\\PROD\\BIN;", "2 C:\\A;"}, {"4 x"}, {}, "C:\\PROD", kNoTwist,
        {"silent*tail \"\\\\x\\x01*\\x01 -c ClientBase -c Alpha\\r\\n" + kPad + "\", Windows NT",
         "\"Alpha\"*uninst.exe -a -f\"C:\\Q\\alpha.isu\"", "\"Alpha\"*exit code 3",
         "Path*C:\\PROD\\BIN;", "CLASSPATH*not*text", "\"ClientBase\"*exit code 3",
         "end: 2 components: 0 uninstallers*, 2 with*, 0 not started; exit code 0"},
        {kAlpha, kBase}, kTail + kPad + "-c Beta", {kAlpha.file, kBase.file}, true, 3),
    Row("TheLogTellsAMissingUninstallerAndTheChangedLinesOn98", "win98", {}, {},
        {kLine + "\r\nREM\r\n" + kLine, kCut + "\r\nREM\r\n" + kCut}, "C:\\PROD", kNoTwist,
        {"silent*95/98", "autoexec.bat*2 lines", "CLASSPATH: left alone: it does not exist",
         "\"ClientBase\"*could not be started*2",
         "end: 1 components: 0 uninstallers*, 0 with*, 1 not started; exit code 0"},
        {kBase}, " -c ClientBase", {}, false),
    Row("ALogLineWaitsForAHolderAndOneThatDoesNotFitOnTheDiskGoesWhole", "win2k", {}, {}, {},
        "C:\\PROD", kLogIsHeldThenTheDiskFillsUp,
        {"\"Alpha\": starting", "\"Beta\": uninstaller ended",
         "end: 2 components: 2 uninstallers*, 0 with*, 0 not started; exit code 0"},
        {kAlpha, kBeta}, " -c Beta -c Alpha", {kAlpha.file, kBeta.file}),
    // Without the lock another run's line may follow, so the piece stays.
    Row("WithoutTheLogsLockALineThatDoesNotFitOnTheDiskLeavesItsPiece", "winxp", {}, {}, {},
        "C:\\PROD", kNoLockThenTheDiskFillsUp, {"\"Alpha\": uninstaller*\"Beta\": uninstaller"},
        {kAlpha, kBeta}, " -c Beta -c Alpha", {kAlpha.file, kBeta.file}),
};

// Fills drive C: (a tmpfs of this run) until only about free bytes are left.
void FillDriveC(size_t free) {
    ULARGE_INTEGER available;
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, NULL, NULL) && available.QuadPart < 1 << 30)
        << "drive C: is not the test run's own small disk";
    ASSERT_TRUE(std::ofstream("c:\\filler", std::ios::binary)
                << std::string(available.QuadPart - free, 'f'));
}

// The broadcasts of a changed environment to a window of the test.
int g_told;
LRESULT CALLBACK CountTold(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_told +=
        message == WM_SETTINGCHANGE && !wParam && lParam && !strcmp((char*)lParam, "Environment");
    return DefWindowProcA(window, message, wParam, lParam);
}

class SilentRemoval : public ::testing::TestWithParam<Row> {};

TEST_P(SilentRemoval, EndsWithZeroAfterItsCallsAndLeavesTheMachineAsExpected) {
    const Row& row = GetParam();
    // Where no line is looked for, the log's folder is made only once the run
    // has begun: a log that could not be opened stays given up.
    std::string logFile = row.log.empty() ? "C:\\qv logs\\log.txt" : "C:\\qv log.txt";
    PrepareProgram(row.uninstaller);
    Install(row.installed, row.dir);
    SetEnvironment(row.path.before, row.classPath.before, row.autoexec.before);
    ReportWindows(row.windows);
    // Each uninstaller waits for the test to let it go: one started too soon
    // would overlap.
    HANDLE go = CreateSemaphoreA(NULL, 0, 99, "QvTestGo");
    // PATH names the current folder too, as ".", as an empty entry and as "C:".
    static std::string path = ".;;C:;" + std::string(getenv("PATH")) + ";C:\\qv path";
    SetEnvironmentVariableA("PATH", path.c_str());
    SetEnvironmentVariableA("QVTEST_EXIT_CODE", std::to_string(row.exitCode).c_str());
    SetEnvironmentVariableA("QVUNINST_LOG", logFile.c_str());
    // Another run holds the log's lock for the first two tries, or for ever. In
    // a plain log row a viewer keeps the log open, and the lock record is read.
    bool noLock = row.twist == kNoLockThenTheDiskFillsUp,
         plain = row.twist == kNoTwist && !row.log.empty();
    SetEnvironmentVariableA("QVTEST_LOCK_REFUSALS", noLock ? "9999" : "2");
    DeleteFileA(logFile.c_str()), RemoveDirectoryA("C:\\qv logs");
    if (row.twist == kDiskFillsUp)
        FillDriveC(row.autoexec.before.size() / 2);
    if (row.twist == kLeftoversOfAnInterruptedRun) // both read-only, hidden and system
        MoveFileA("c:\\autoexec.bat", "c:\\aut0exec.qvo"),
            SetFileAttributesA("c:\\aut0exec.qvo", 7),
            CopyFileA("c:\\aut0exec.qvo", "c:\\aut0exec.qvs", FALSE);
    // The uninstaller's folders, and a decoy in C:\ (win.ini: it cannot be started).
    bool decoy = row.twist == kDecoyInTheCurrentFolder,
         atEnd = row.twist == kUninstallerAtTheEndOfPath;
    const char *real = decoy   ? "C:\\windows\\uninst.exe"
                       : atEnd ? "C:\\qv path\\uninst.exe"
                               : "",
               *system = decoy ? "C:\\windows\\system32\\uninst.exe" : "";
    if (decoy || atEnd)
        CreateDirectoryA("C:\\qv path", NULL), MoveFileA("C:\\qv test\\uninst.exe", real),
            CopyFileA(real, system, FALSE),
            CopyFileA("C:\\windows\\win.ini", "C:\\uninst.exe", FALSE);
    const FILETIME kLongAgo = {0, 0x01C00000}; // in 1998
    HANDLE autoexec =
        CreateFileA("c:\\autoexec.bat", FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0, NULL);
    SetFileTime(autoexec, NULL, NULL, &kLongAgo), CloseHandle(autoexec);
    HANDLE reader = CreateFileA(plain ? logFile.c_str() : "", GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS, 0, NULL);
    // A window of the test counts the broadcasts of a changed environment,
    // answering them at once, as Explorer does.
    static HWND listener =
        CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    SetWindowLongPtrA(listener, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountTold)), g_told = 0;
    // From C:\, which is not the program's folder.
    PROCESS_INFORMATION program = StartProgram(row.tail, 0, "C:\\");
    DWORD pid = program.dwProcessId;
    for (size_t call = 1;
         call <= row.files.size() && WaitFor([&] { return RecordedCalls().size() >= call; });
         ++call) {
        bool first = call == 1,
             log = first && (row.twist == kLogIsHeldThenTheDiskFillsUp || noLock);
        size_t room = noLock ? 95 : 10, end = FileBytes(logFile).size() + kOtherLine.size() + 2;
        if (log) // a whole line to room bytes before the end of a page, then no room
            std::ofstream(logFile, std::ios::app | std::ios::binary)
                << kOtherLine << std::string((8192 - room - end % 4096) % 4096, 'p') << "\r\n",
                FillDriveC(0);
        HANDLE held =
            CreateFileA(log ? logFile.c_str() : "", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        Sleep(first && row.twist == kFirstUninstallerRunsLong ? 3000 : 0);
        if (first && row.twist == kFirstUninstallerDeletesTheKey)
            Install({}, row.dir);
        DeleteFileA(call == 2 ? "c:\\filler" : ""), CreateDirectoryA("C:\\qv logs", NULL);
        ReleaseSemaphore(go, 1, NULL);
        // The line after its end finds the log held a moment longer, then no room.
        Sleep(held != INVALID_HANDLE_VALUE ? 500 : 0), CloseHandle(held);
    }
    ReleaseSemaphore(go, 99, NULL); // a call too many goes on at once
    EXPECT_EQ(0u, FinishProgram(program));
    bool nt = std::string("win95 win98 winme").find(row.windows) == std::string::npos;
    EXPECT_EQ(nt && (!row.path.after.empty() || !row.classPath.after.empty()), g_told);
    CloseHandle(reader), CloseHandle(go), DeleteFileA("c:\\filler");
    MoveFileA(real, "C:\\qv test\\uninst.exe"), DeleteFileA("C:\\uninst.exe"), DeleteFileA(system);
    WIN32_FILE_ATTRIBUTE_DATA file = {};
    GetFileAttributesExA("c:\\autoexec.bat", GetFileExInfoStandard, &file),
        SetFileAttributesA("c:\\autoexec.bat", 0);
    EXPECT_EQ(row.twist == kLeftoversOfAnInterruptedRun ? 7u : 0u, file.dwFileAttributes & 7);
    EXPECT_TRUE(!row.autoexec.after.empty() || row.autoexec.before == "none" ||
                CompareFileTime(&file.ftLastWriteTime, &kLongAgo) == 0)
        << "c:\\autoexec.bat was written over with the same bytes";

    std::vector<Call> calls = ExpectCalls(row.files);
    auto after = [](const Change& c) { return c.after.empty() ? c.before : c.after; };
    std::string expected = "Path " + after(row.path) + "\nCLASSPATH " + after(row.classPath) +
                           "\nautoexec " + after(row.autoexec);
    EXPECT_EQ(expected, calls.empty() ? expected : calls.back()["seen"]) << "by the last call";
    EXPECT_EQ(expected, Snapshot());
    EXPECT_EQ("nonenone", FileBytes("c:\\aut0exec.qvs") + FileBytes("c:\\aut0exec.qvo"));

    std::string log = FileBytes(logFile), line;
    std::istringstream lines(log);
    for (const std::string& pattern : row.log) { // a line's pieces, split at '*', in this order
        std::string text = std::regex_replace(pattern, std::regex(R"([.^$|()[\]{}+?\\])"), "\\$&");
        std::regex pieces(std::regex_replace(text, std::regex("\\*"), ".*"));
        bool seen = false;
        while (!seen && std::getline(lines, line))
            seen = std::regex_search(line, pieces);
        EXPECT_TRUE(seen) << "no line " << pattern << " in this order in the log:\n" << log;
    }
    // Every line: the time, the offset (of the zone cmake/wine-run sets), this
    // machine and this run (or the test's own line).
    char machine[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof machine;
    GetComputerNameA(machine, &size);
    std::regex form("(\\d{4}(-\\d\\d){2} (\\d\\d:?){3} -0930 (" + std::string(machine) +
                    " qvuninst\\[" + std::to_string(pid) + "|- qvuninst\\[1)\\]: .*\r\n)+");
    EXPECT_TRUE(row.log.empty() ? log == "none" : std::regex_match(log, form)) << log;
    // Each line appended under the lock, got at the third try for the first.
    std::string locks = "refused 0\nrefused 0\n";
    for (size_t at = 0, end; (end = log.find("\r\n", at)) != std::string::npos; at = end + 2)
        locks += "lock " + std::to_string(at) + "\nunlock " + std::to_string(end + 2) + "\n";
    EXPECT_EQ(plain ? locks : "", plain ? FileBytes(RecordPath("refused.txt.locks")) : "");
}

INSTANTIATE_TEST_SUITE_P(, SilentRemoval, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& row) { return row.param.guards; });

} // namespace

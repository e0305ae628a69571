// The real qvuninst.exe in silent mode, with the stub uninstaller.
#include "harness.h"

namespace {

class SilentRemoval : public ProgramTest {};

TEST_F(SilentRemoval, RemovesFromTheLastTokenToTheFirstOneAtATime) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    RegisterComponent("Beta", "C:\\Q\\beta.isu");
    RegisterComponent("Gamma", "C:\\Q\\gamma.isu");
    SetEnvironmentVariableA("QVTEST_SLEEP_MS", "400");
    EXPECT_EQ(0u, Run("-c Alpha -c Beta"));

    std::vector<Invocation> record = Record();
    ASSERT_EQ(2u, record.size());
    EXPECT_EQ("uninst.exe -a -f\"C:\\Q\\beta.isu\"", record[0].commandLine);
    EXPECT_EQ("Beta", record[0].component);
    EXPECT_EQ("uninst.exe -a -f\"C:\\Q\\alpha.isu\"", record[1].commandLine);
    EXPECT_EQ("Alpha", record[1].component);
    // Alpha's uninstaller started only after Beta's had ended.
    EXPECT_LE(record[0].end, record[1].start);
    EXPECT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "Gamma").exists);
}

TEST_F(SilentRemoval, WaitsForALongUninstaller) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    SetEnvironmentVariableA("QVTEST_SLEEP_MS", "2500");
    PROCESS_INFORMATION process = Start("-c Alpha");
    // Still running while its uninstaller does.
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(process.hProcess, 1500));
    EXPECT_EQ(0u, Finish(process));
    std::vector<Invocation> record = Record();
    ASSERT_EQ(1u, record.size());
    EXPECT_NE(0u, record[0].end);
}

TEST_F(SilentRemoval, PassesAFileWithBlanksWholeInQuotes) {
    const std::string file = "C:\\Program Files\\Tovrik\\Quorvane\\uninst\\My Part.isu";
    RegisterComponent("My Part", file);
    // The quoted program path has blanks too, and the tail its own.
    EXPECT_EQ(0u, Run("-c My Part   "));
    std::vector<Invocation> record = Record();
    ASSERT_EQ(1u, record.size());
    EXPECT_EQ("uninst.exe -a -f\"" + file + "\"", record[0].commandLine);
    EXPECT_EQ("My Part", record[0].component);
}

TEST_F(SilentRemoval, TheTailStartsRightAfterTheQuotedProgramName) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    PROCESS_INFORMATION process = StartCommandLine("\"" + programPath_ + "\"-c Alpha");
    EXPECT_EQ(0u, Finish(process));
    // Nothing but blanks after the name would start the interactive mode.
    std::vector<Invocation> record = Record();
    ASSERT_EQ(1u, record.size());
    EXPECT_EQ("Alpha", record[0].component);
}

TEST_F(SilentRemoval, UnregisteredOrOddNamesStartTheUninstallerWithAnEmptyFile) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    // " Alpha" (two blanks after -c), an unregistered name, and a name
    // longer than any registered one.
    EXPECT_EQ(0u, Run("-c  Alpha -c Nobody -c " + std::string(600, 'N')));
    std::vector<Invocation> record = Record();
    ASSERT_EQ(3u, record.size());
    for (const Invocation& invocation : record) {
        EXPECT_EQ("uninst.exe -a -f\"\"", invocation.commandLine);
        EXPECT_EQ("", invocation.component);
    }
    EXPECT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "Alpha").exists);
}

TEST_F(SilentRemoval, ValuesThatCannotBeReadGiveAnEmptyFile) {
    RegisterComponent("TooLong", std::string(256, 'f'));
    RegisterComponent("Fits", std::string(255, 'f'));
    // Binary data without a NUL that fills the whole buffer is too long too.
    SetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "Raw", REG_BINARY, std::string(256, 'r'), false);
    SetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "Short", REG_BINARY, "C:\\Q\\s.isu", false);
    EXPECT_EQ(0u, Run("-c TooLong -c Fits -c Raw -c Short"));
    std::vector<Invocation> record = Record();
    ASSERT_EQ(4u, record.size());
    EXPECT_EQ("uninst.exe -a -f\"C:\\Q\\s.isu\"", record[0].commandLine);
    EXPECT_EQ("uninst.exe -a -f\"\"", record[1].commandLine);
    EXPECT_EQ("uninst.exe -a -f\"" + std::string(255, 'f') + "\"", record[2].commandLine);
    EXPECT_EQ("uninst.exe -a -f\"\"", record[3].commandLine);
}

TEST_F(SilentRemoval, TailsWithoutTokensRemoveNothing) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    EXPECT_EQ(0u, Run("/c Alpha"));
    EXPECT_EQ(0u, Run("-"));
    EXPECT_EQ(0u, Run("-c"));
    EXPECT_TRUE(Record().empty());
    EXPECT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "Alpha").exists);
}

TEST_F(SilentRemoval, AnyTwoCharactersAfterTheDashAreSkipped) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    EXPECT_EQ(0u, Run("-xyAlpha"));
    std::vector<Invocation> record = Record();
    ASSERT_EQ(1u, record.size());
    EXPECT_EQ("Alpha", record[0].component);
}

TEST_F(SilentRemoval, AMissingUninstallerShowsNothingAndEndsWithZero) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    RemoveUninstaller();
    PROCESS_INFORMATION process = Start("-c Alpha -c Beta");
    EXPECT_EQ(0u, Finish(process, 20000));
    EXPECT_TRUE(Record().empty());
    EXPECT_EQ(NULL, FindWindowA(NULL, "Quorvane Client"));
    EXPECT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "Alpha").exists);
}

} // namespace

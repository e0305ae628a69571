#include "removal/uninstaller_command.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UninstallerCommandLine, QuotesTheFileRightAfterDashF) {
    char line[kUninstallerCommandLineSize];
    ASSERT_TRUE(BuildUninstallerCommandLine("uninst.exe", "C:\\Program Files\\Q\\a b.isu", line,
                                            sizeof line));
    EXPECT_STREQ("uninst.exe -a -f\"C:\\Program Files\\Q\\a b.isu\"", line);
    ASSERT_TRUE(BuildUninstallerCommandLine("uninst.exe", "", line, sizeof line));
    EXPECT_STREQ("uninst.exe -a -f\"\"", line);
}

TEST(UninstallerCommandLine, LongestPartsFitAndLongerOnesAreRefused) {
    char line[kUninstallerCommandLineSize];
    std::string program(19, 'p');
    std::string file(255, 'f');
    ASSERT_TRUE(BuildUninstallerCommandLine(program.c_str(), file.c_str(), line, sizeof line));
    EXPECT_EQ(program + " -a -f\"" + file + "\"", line);
    std::string longer(256, 'f');
    EXPECT_FALSE(BuildUninstallerCommandLine(program.c_str(), longer.c_str(), line, sizeof line));
    EXPECT_STREQ("", line);
}

} // namespace

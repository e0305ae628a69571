// Helpers for the tests that run the real qvuninst.exe under Wine: the
// product's registry data, the machine's environment values, the start-up
// batch file, a run of the program with a deadline, and the stub
// uninstaller's record of what it was given.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern const char kComponentsKey[];
extern const char kProductKey[];
extern const char kEnvironmentKey[];

// One start of the stub uninstaller, as it wrote it down.
struct Invocation {
    unsigned long long start = 0;
    unsigned long long end = 0;
    std::string commandLine;
    unsigned long processId = 0;
    std::string component; // the value it deleted; empty when none matched
    std::string path;      // "<type> <text>" or "none", as it saw them
    std::string classPath;
    std::string autoexec; // the batch file's bytes, or "none"
};

// A registry value as stored: exists, type and bytes (without the NUL).
struct StoredValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::string text;
};

// Each test starts from an empty installation in a directory of its own,
// holding qvuninst.exe and, unless told otherwise, the stub uninst.exe; it
// puts back the environment values, the batch file and the Windows version
// it changed.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Removes the stub uninstaller, so that no "uninst.exe" can be found.
    void RemoveUninstaller();

    // Runs qvuninst.exe with the given tail (nothing after the program name
    // when empty) and returns its exit code; fails the test and ends the
    // program when it has not ended within timeoutMs.
    DWORD Run(const std::string& tail, DWORD timeoutMs = 30000);
    // Starts qvuninst.exe with the tail and returns its process, to be ended
    // with Finish.
    PROCESS_INFORMATION Start(const std::string& tail);
    // Starts qvuninst.exe with a whole command line of the caller's.
    PROCESS_INFORMATION StartCommandLine(std::string commandLine);
    DWORD Finish(PROCESS_INFORMATION& process, DWORD timeoutMs = 30000);

    // The stub's records of this test, in the order it was started.
    std::vector<Invocation> Record();

    // Makes the program report the Windows 95/98 family: Wine's "win98", or
    // the matrix version when that is of the family.
    void ReportWindows98();

    std::string dir_;         // the test's directory, with a trailing backslash
    std::string programPath_; // dir_ + "qvuninst.exe"
    std::string recordPath_;

  private:
    StoredValue savedPath_, savedClassPath_;
    std::string savedBatch_;
    bool batchExisted_ = false;
};

// The Windows version the program is made to report in this run, from
// QV_WINDOWS_VERSION (Wine's names: win95 ... win10); null for Wine's own.
const char* MatrixVersion();
// Whether that version is of the 95/98 family.
bool MatrixIsWindows9x();
bool MatrixIsWindowsNt();

// The product's registry data.
void ResetInstallation();
void RegisterComponent(const std::string& name, const std::string& file);
void SetInstallDirectory(const std::string& dir);

// The machine-wide environment values and raw registry values.
StoredValue GetValue(HKEY root, const char* keyPath, const std::string& name);
void SetValue(HKEY root, const char* keyPath, const std::string& name, DWORD type,
              const std::string& data, bool withNul = true);
void DeleteValue(HKEY root, const char* keyPath, const std::string& name);
StoredValue GetEnvironment(const std::string& name);
void SetEnvironment(const std::string& name, DWORD type, const std::string& text);
void DeleteEnvironment(const std::string& name);

// Whole files, byte for byte.
bool ReadWholeFile(const std::string& path, std::string* content);
void WriteWholeFile(const std::string& path, const std::string& content);

// Bytes from the stub's hexadecimal record of the batch file.
std::string FromHex(const std::string& hex);

// The directory of the running test program, with a trailing backslash;
// qvuninst.exe and uninst.exe are built beside it.
std::string BuildDirectory();

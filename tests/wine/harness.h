// Helpers of the Wine tests of the real qvuninst.exe (and of the demo's
// scripted user): the product's registration and the machine's environment
// as a test sets them, runs of the program from a directory whose name has
// blanks (quoting is proven end to end), the stub uninstaller's record, and
// the program's windows.
#pragma once

#include "tests/stub_uninstaller/record.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

// A registered component as the installer wrote it (ANSI): REG_SZ data with
// its NUL, any other type without.
struct Component {
    std::string name, file;
    DWORD type = REG_SZ;
};

// Registration from scratch: FilePath (none when absent) and the components.
void Install(const std::vector<Component>& components,
             const std::optional<std::string>& dir = "C:\\PROD");
// Sets Path, CLASSPATH and c:\autoexec.bat as a Snapshot() describes them.
void SetEnvironment(const std::string& path, const std::string& classPath,
                    const std::string& autoexec);
// What Snapshot() says for these.
std::string Described(const std::string& path, const std::string& classPath,
                      const std::string& autoexec);
// The Windows version Wine reports to qvuninst.exe: win95 ... win10.
void ReportWindows(const char* version);

// Copies qvuninst.exe (and the stub uninst.exe, or not) into the program
// directory and empties the record.
void PrepareProgram(bool withUninstaller = true);
const char kProgramDir[] = "C:\\qv test\\";
// Starts the program with this text after its quoted name.
PROCESS_INFORMATION StartProgram(const std::string& tail);
// Its exit code; fails the test and ends it when it runs past the deadline.
DWORD FinishProgram(PROCESS_INFORMATION& process, DWORD deadlineMs = 30000);

// One start of the stub uninstaller, as it wrote it down.
struct Call {
    unsigned long long start = 0, end = 0;
    DWORD processId = 0;
    std::string commandLine, seen, component;
};
std::vector<Call> RecordedCalls();
// Each call started after the one before it had ended, and the last had
// ended by then.
void ExpectOneAfterAnother(const std::vector<Call>& calls, unsigned long long by);
// The command lines the calls should have had, for these component files.
std::vector<std::string> CommandLines(const std::vector<std::string>& files);
std::vector<std::string> CommandLines(const std::vector<Call>& calls);

// Polls until condition holds; false after timeoutMs.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 15000);
// A visible top-level window of the process, of that class and title (any
// when null), holding a control of that id (when nonzero); waits for one.
HWND FindWindowOf(DWORD processId, const char* className, const char* title, int control = 0);
HWND WaitForWindow(DWORD processId, const char* className, const char* title, int control = 0,
                   DWORD timeoutMs = 15000);
std::string TextOf(HWND window);
// The list box's items, in the ANSI code page.
std::vector<std::string> ListItems(HWND list);

// Helpers of the Wine tests of the real qvuninst.exe (and of the demo's
// scripted user): the product's registration and the machine's environment
// as a test sets them, runs of the program from a directory whose name has
// blanks (proving the quoting end to end), the stub uninstaller's record,
// and the program's windows.
#pragma once

#include "tests/stub_uninstaller/record.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <vector>

// A registered component as the installer writes it (ANSI): REG_SZ data
// with its NUL, any other type without.
struct Component {
    std::string name, file;
    DWORD type = REG_SZ;
};
const Component kAlpha{"Alpha", "C:\\Q\\alpha.isu"}, kBeta{"Beta", "C:\\Q\\beta.isu"},
    kGamma{"Gamma", "C:\\Q\\gamma.isu"}, kBase{"ClientBase", "C:\\Q\\base.isu"};

// Registration from scratch: FilePath (none when absent) and the components.
void Install(const std::vector<Component>& components,
             const std::optional<std::string>& dir = "C:\\PROD");
// Sets Path, CLASSPATH and c:\autoexec.bat as Snapshot() describes them.
void SetEnvironment(const std::string& path, const std::string& classPath,
                    const std::string& autoexec);
std::string Described(const std::string& path, const std::string& classPath,
                      const std::string& autoexec);
// The Windows version Wine reports to qvuninst.exe: win95 ... win10.
void ReportWindows(const char* version);

// Puts qvuninst.exe and, unless told otherwise, the stub uninst.exe into the
// program directory, and empties the stub's record.
void PrepareProgram(bool withUninstaller = true);
const char kProgramDir[] = "C:\\qv test\\";
// Starts the program with this text after its quoted name.
PROCESS_INFORMATION StartProgram(const std::string& tail);
// Its exit code; fails the test and ends it when it runs past the deadline.
DWORD FinishProgram(PROCESS_INFORMATION& program);

// One start of the stub uninstaller: its record by key (start, pid,
// cmdline, seen, component, end).
typedef std::map<std::string, std::string> Call;
std::vector<Call> RecordedCalls();
// The calls were the uninstallers of these component files, in this order,
// each started after the one before it had ended, and all ended by then.
void ExpectCalls(const std::vector<std::string>& files, const std::vector<Call>& calls,
                 unsigned long long by);

// Polls until condition holds; false after timeoutMs.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 15000);
// A visible top-level window of the process of that class and title (any
// when null); waits up to waitMs for one.
HWND FindWindowOf(DWORD processId, const char* className, const char* title, DWORD waitMs = 15000);
std::string TextOf(HWND window);
// The list box's items, in the ANSI code page.
std::vector<std::string> ListItems(HWND list);

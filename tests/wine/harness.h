// Helpers of the Wine tests of the real qvuninst.exe (and of the demo's
// scripted user): the product's registration and the machine's environment
// as a test sets them, runs of the program from a directory whose name has
// blanks (proving the quoting end to end), the stub uninstaller's record,
// and the program's windows.
#pragma once

#include "tests/stub_uninstaller/record.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

// A registered component as the installer writes it (ANSI): REG_SZ data
// with its NUL, any other type without.
struct Component {
    std::string name, file = "";
    DWORD type = REG_SZ;
};
const Component kAlpha{"Alpha", "C:\\Q\\alpha.isu"}, kBeta{"Beta", "C:\\Q\\beta.isu"},
    kGamma{"Gamma", "C:\\Q\\gamma.isu"}, kBase{"ClientBase", "C:\\Q\\base.isu"};
const std::string kProgramDir = "C:\\qv test\\";

// A deadline for what would otherwise hang: never a measurement, and four
// times as long where 32-bit code runs emulated.
inline DWORD Patience(DWORD ms) {
    return getenv("QV_WINE_EMULATED") != NULL ? 4 * ms : ms;
}

// Polls until condition holds, answering what the program sends the test's
// windows meanwhile; false after timeoutMs (made patient).
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 15000) {
    MSG message;
    for (ULONGLONG deadline = GetTickCount64() + Patience(timeoutMs); !condition();
         MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_SENDMESSAGE),
                   PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE))
        if (GetTickCount64() > deadline)
            return false;
    return true;
}

// The stub's record (or another file of the run), kept off drive C: (which a
// test may fill up): in the directory of this test run, which cmake/wine-run
// names (Wine takes its forward slashes as they are).
inline std::string RecordPath(const char* name = "record.txt") {
    return std::string("Z:") + getenv("QV_WINE_RUN_DIR") + "/" + name;
}

// Sets a value from "<type> <UTF-8 text>", stored as UTF-16 with a NUL, or
// deletes it for "none".
inline void SetValue(const wchar_t* keyPath, const wchar_t* name, const std::string& value) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, keyPath, name);
    int text = static_cast<int>(value.find(' ') + 1), size = static_cast<int>(value.size()) - text;
    std::wstring data(size + 1, L'\0');
    data.resize(MultiByteToWideChar(CP_UTF8, 0, &value[text], size, &data[0], size) + 1);
    if (value != "none")
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, keyPath, name, stoul(value), data.data(),
                        static_cast<DWORD>(data.size() * 2));
}

// Registration from scratch: FilePath (none when absent) and the components.
inline void Install(const std::vector<Component>& components,
                    const std::optional<std::string>& dir = "C:\\PROD") {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tovrik");
    for (const Component& c : components)
        RegSetKeyValueA(HKEY_LOCAL_MACHINE,
                        "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion\\Components", c.name.c_str(),
                        c.type, c.file.data(),
                        static_cast<DWORD>(c.file.size() + (c.type == REG_SZ)));
    if (dir)
        SetValue(L"SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion", L"FilePath", "1 " + *dir);
}

// Sets Path, CLASSPATH and c:\autoexec.bat as Snapshot() describes them.
inline void SetEnvironment(const std::string& path, const std::string& classPath,
                           const std::string& autoexec) {
    SetValue(kEnvironmentKey, L"Path", path);
    SetValue(kEnvironmentKey, L"CLASSPATH", classPath);
    DeleteFileA("c:\\autoexec.bat");
    if (autoexec != "none")
        std::ofstream("c:\\autoexec.bat", std::ios::binary) << autoexec;
}

// The Windows version Wine reports to qvuninst.exe: win95 ... win10.
inline void ReportWindows(const char* version) {
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\qvuninst.exe", "Version",
                    REG_SZ, version, static_cast<DWORD>(strlen(version) + 1));
}

// Puts qvuninst.exe, era_check.dll and, unless told otherwise, the stub
// uninst.exe into the program directory, and empties the stub's record.
inline void PrepareProgram(bool withUninstaller = true) {
    char path[MAX_PATH];
    std::string build(path, GetModuleFileNameA(NULL, path, sizeof path));
    build.erase(build.rfind('\\') + 1);
    CreateDirectoryA(kProgramDir.c_str(), NULL);
    for (const char* name : {"qvuninst.exe", "era_check.dll", "uninst.exe"})
        CopyFileA((build + name).c_str(), (kProgramDir + name).c_str(), FALSE);
    // Without one of its own, the program finds the stub only in C:\, the
    // silent runs' current folder, which it must never search.
    if (!withUninstaller)
        MoveFileExA((kProgramDir + "uninst.exe").c_str(), "C:\\uninst.exe",
                    MOVEFILE_REPLACE_EXISTING);
    SetEnvironmentVariableA("QVTEST_RECORD", RecordPath().c_str());
    DeleteFileA(RecordPath().c_str());
}

// Makes the suspended program load era_check.dll (beside it) on a thread of
// its own, which binds the program's imports first: the checker sees them
// bound, before the program's first line runs.
inline void LoadChecker(HANDLE program) {
    const std::string dll = kProgramDir + "era_check.dll";
    void* name = VirtualAllocEx(program, NULL, MAX_PATH, MEM_COMMIT, PAGE_READWRITE);
    HANDLE thread =
        name && WriteProcessMemory(program, name, dll.c_str(), dll.size() + 1, NULL)
            ? CreateRemoteThread(program, NULL, 0, (LPTHREAD_START_ROUTINE)(void*)LoadLibraryA,
                                 name, 0, NULL)
            : NULL;
    DWORD loaded = 0;
    EXPECT_TRUE(WaitForSingleObject(thread, Patience(30000)) == WAIT_OBJECT_0 &&
                GetExitCodeThread(thread, &loaded) && loaded)
        << "era_check.dll could not be put into the program";
    CloseHandle(thread);
}

// Starts the program with this text after its quoted name, in folder dir,
// with the checker in it; it stays suspended when the caller asks for that.
inline PROCESS_INFORMATION StartProgram(const std::string& tail, DWORD flags = 0,
                                        const char* dir = kProgramDir.c_str()) {
    std::string commandLine = "\"" + kProgramDir + "qvuninst.exe\"" + tail;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program = {};
    SetEnvironmentVariableA("QVTEST_REFUSED", RecordPath("refused.txt").c_str());
    DeleteFileA(RecordPath("refused.txt").c_str()),
        DeleteFileA(RecordPath("refused.txt.locks").c_str());
    EXPECT_TRUE(CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, flags | CREATE_SUSPENDED,
                               NULL, dir, &startup, &program))
        << commandLine;
    LoadChecker(program.hProcess);
    if (!(flags & CREATE_SUSPENDED))
        ResumeThread(program.hThread);
    return program;
}

// Its exit code; fails the test and ends it when it runs past the deadline,
// and fails it for each call the checker refused.
inline DWORD FinishProgram(PROCESS_INFORMATION& program) {
    DWORD exitCode = ~0u;
    EXPECT_TRUE(
        WaitFor([&] { return WaitForSingleObject(program.hProcess, 0) == WAIT_OBJECT_0; }, 30000))
        << "qvuninst.exe still runs after its deadline";
    TerminateProcess(program.hProcess, exitCode), WaitForSingleObject(program.hProcess, 5000);
    GetExitCodeProcess(program.hProcess, &exitCode);
    CloseHandle(program.hThread), CloseHandle(program.hProcess), program = {};
    std::string refused = FileBytes(RecordPath("refused.txt"));
    EXPECT_TRUE(refused.empty()) << (refused == "none" ? "era_check.dll did not run in the program"
                                                       : "calls this Windows refuses:\n" + refused);
    return exitCode;
}

// One start of the stub uninstaller: its record by key (start, pid,
// cmdline, seen, component, end).
typedef std::map<std::string, std::string> Call;

inline std::vector<Call> RecordedCalls() {
    std::vector<Call> calls;
    std::istringstream record(FileBytes(RecordPath()));
    for (std::string key, value; record >> key && std::getline(record, value);) {
        if (key == "start")
            calls.emplace_back();
        for (size_t i = 1; key == "seen" && i < value.size(); i += 2)
            calls.back()[key] += static_cast<char>(stoi(value.substr(i, 2), nullptr, 16));
        if (!calls.empty() && key != "seen")
            calls.back()[key] = value.substr(1);
    }
    return calls;
}

// The calls so far were the uninstallers of these component files, in this
// order, each started in its own folder after the one before it had ended,
// with this many progress boxes open (its own), and all have ended.
inline std::vector<Call> ExpectCalls(const std::vector<std::string>& files, int boxes = 0) {
    std::vector<Call> calls = RecordedCalls();
    std::vector<std::string> expected, called;
    unsigned long long previous = 0, by = Now();
    for (const std::string& file : files)
        expected.push_back("uninst.exe -a -f\"" + file + "\"");
    for (Call& call : calls) {
        called.push_back(call["cmdline"]);
        EXPECT_EQ("own", call["folder"]) << call["cmdline"] << " runs in another folder";
        EXPECT_EQ(std::to_string(boxes), call["boxes"]) << call["cmdline"] << ": progress boxes";
        EXPECT_LE(previous, stoull(call["start"])) << call["cmdline"] << " started too soon";
        previous = stoull("0" + call["end"]);
        EXPECT_TRUE(previous != 0 && previous <= by)
            << call["cmdline"] << ": the program did not wait for it to end";
    }
    EXPECT_EQ(expected, called);
    return calls;
}

inline std::string TextOf(HWND window) {
    char text[1024];
    return std::string(text, GetWindowTextA(window, text, sizeof text));
}

// A visible top-level window of the process of that class and title (any
// when null); waits up to waitMs for one.
inline HWND FindWindowOf(DWORD processId, const char* className, const char* title,
                         DWORD waitMs = 15000) {
    HWND found = NULL;
    DWORD owner = 0;
    // Each poll goes through them all, and ends with found null when none is it.
    WaitFor(
        [&] {
            while ((found = FindWindowExA(NULL, found, className, title)) != NULL)
                if (GetWindowThreadProcessId(found, &owner) && owner == processId &&
                    IsWindowVisible(found))
                    return true;
            return false;
        },
        waitMs);
    return found;
}

// The list box's items, in the ANSI code page. Read wide: Wine leaves the
// text of another process's list box wide for the ANSI call.
inline std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    for (LRESULT i = 0, count = SendMessageW(list, LB_GETCOUNT, 0, 0); i < count; ++i) {
        wchar_t wide[1024];
        char text[1024];
        int length = static_cast<int>(SendMessageW(list, LB_GETTEXT, i, (LPARAM)wide));
        items.emplace_back(
            text, WideCharToMultiByte(CP_ACP, 0, wide, length, text, sizeof text, NULL, NULL));
    }
    return items;
}

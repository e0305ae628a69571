#include "harness.h"

#include <stdlib.h>

namespace {

const char kProductKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion";

std::wstring Wide(const std::string& text, UINT codePage) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                    &wide[0], static_cast<int>(wide.size())));
    return wide;
}

// Sets a value from "<type> <UTF-8 text>" (stored as UTF-16 with a NUL) or
// deletes it for "none".
void SetValue(const wchar_t* keyPath, const wchar_t* name, const std::string& value) {
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                 &key, NULL));
    RegDeleteValueW(key, name);
    if (value != "none") {
        std::wstring data = Wide(value.substr(value.find(' ') + 1), CP_UTF8) + L'\0';
        RegSetValueExW(key, name, 0, strtoul(value.c_str(), NULL, 10),
                       reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size() * 2));
    }
    RegCloseKey(key);
}

} // namespace

void Install(const std::vector<Component>& components, const std::optional<std::string>& dir) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tovrik");
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kProductKey + std::string("\\Components")).c_str(),
                                 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    for (const Component& c : components)
        RegSetValueExA(key, c.name.c_str(), 0, c.type, reinterpret_cast<const BYTE*>(c.file.c_str()),
                       static_cast<DWORD>(c.file.size() + (c.type == REG_SZ)));
    RegCloseKey(key);
    if (dir)
        SetValue(L"SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion", L"FilePath", "1 " + *dir);
}

void SetEnvironment(const std::string& path, const std::string& classPath,
                    const std::string& autoexec) {
    const wchar_t key[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    SetValue(key, L"Path", path);
    SetValue(key, L"CLASSPATH", classPath);
    SetFileAttributesA("c:\\autoexec.bat", FILE_ATTRIBUTE_NORMAL);
    DeleteFileA("c:\\autoexec.bat");
    DeleteFileA("c:\\aut0exec.qvs");
    if (autoexec == "none")
        return;
    FILE* file = fopen("c:\\autoexec.bat", "wb");
    ASSERT_TRUE(file != NULL);
    fwrite(autoexec.data(), 1, autoexec.size(), file);
    fclose(file);
}

std::string Described(const std::string& path, const std::string& classPath,
                      const std::string& autoexec) {
    return "Path " + path + "\nCLASSPATH " + classPath + "\nautoexec " + autoexec;
}

void ReportWindows(const char* version) {
    ASSERT_EQ(0, RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\qvuninst.exe",
                                 "Version", REG_SZ, version, static_cast<DWORD>(strlen(version) + 1)));
}

void PrepareProgram(bool withUninstaller) {
    char path[MAX_PATH];
    std::string build(path, GetModuleFileNameA(NULL, path, sizeof path));
    build.erase(build.rfind('\\') + 1);
    CreateDirectoryA(kProgramDir, NULL);
    std::string dir = kProgramDir;
    ASSERT_TRUE(CopyFileA((build + "qvuninst.exe").c_str(), (dir + "qvuninst.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((build + "uninst.exe").c_str(), (dir + "uninst.exe").c_str(), FALSE));
    if (!withUninstaller)
        DeleteFileA((dir + "uninst.exe").c_str());
    SetEnvironmentVariableA("QVTEST_RECORD", "C:\\record.txt");
    DeleteFileA("C:\\record.txt");
}

PROCESS_INFORMATION StartProgram(const std::string& tail) {
    std::string commandLine = "\"" + std::string(kProgramDir) + "qvuninst.exe\"" + tail;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, kProgramDir,
                               &startup, &process))
        << commandLine << ": error " << GetLastError();
    return process;
}

DWORD FinishProgram(PROCESS_INFORMATION& process, DWORD deadlineMs) {
    DWORD exitCode = ~0u;
    if (process.hProcess == NULL)
        return exitCode;
    if (WaitForSingleObject(process.hProcess, deadlineMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "qvuninst.exe still runs after " << deadlineMs << " ms";
        TerminateProcess(process.hProcess, exitCode);
    }
    WaitForSingleObject(process.hProcess, 5000);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = {};
    return exitCode;
}

std::vector<Call> RecordedCalls() {
    std::vector<Call> calls;
    std::string record = FileBytes("C:\\record.txt") + "\n";
    for (size_t at = 0, end; (end = record.find('\n', at)) != std::string::npos; at = end + 1) {
        std::string line = record.substr(at, end - at);
        size_t blank = line.find(' ');
        std::string key = line.substr(0, blank);
        std::string value = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (key == "start")
            calls.emplace_back(), calls.back().start = strtoull(value.c_str(), NULL, 10);
        if (calls.empty())
            continue;
        Call& call = calls.back();
        if (key == "pid")
            call.processId = strtoul(value.c_str(), NULL, 10);
        else if (key == "cmdline")
            call.commandLine = value;
        else if (key == "component")
            call.component = value;
        else if (key == "end")
            call.end = strtoull(value.c_str(), NULL, 10);
        for (size_t i = 0; key == "seen" && i + 1 < value.size(); i += 2)
            call.seen += static_cast<char>(strtoul(value.substr(i, 2).c_str(), NULL, 16));
    }
    return calls;
}

void ExpectOneAfterAnother(const std::vector<Call>& calls, unsigned long long by) {
    unsigned long long previous = 0;
    for (const Call& call : calls) {
        EXPECT_LE(previous, call.start) << call.commandLine << " started before the last ended";
        EXPECT_NE(0u, call.end) << call.commandLine << " never ended";
        previous = call.end;
    }
    EXPECT_LE(previous, by) << "the program did not wait for its last uninstaller";
}

std::vector<std::string> CommandLines(const std::vector<std::string>& files) {
    std::vector<std::string> lines;
    for (const std::string& file : files)
        lines.push_back("uninst.exe -a -f\"" + file + "\"");
    return lines;
}

std::vector<std::string> CommandLines(const std::vector<Call>& calls) {
    std::vector<std::string> lines;
    for (const Call& call : calls)
        lines.push_back(call.commandLine);
    return lines;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (ULONGLONG deadline = GetTickCount64() + timeoutMs; !condition(); Sleep(5)) {
        if (GetTickCount64() > deadline)
            return false;
    }
    return true;
}

HWND FindWindowOf(DWORD processId, const char* className, const char* title, int control) {
    for (HWND window = GetTopWindow(NULL); window != NULL; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if (owner == processId && IsWindowVisible(window) && strcmp(name, className) == 0 &&
            (title == NULL || TextOf(window) == title) &&
            (control == 0 || GetDlgItem(window, control) != NULL))
            return window;
    }
    return NULL;
}

HWND WaitForWindow(DWORD processId, const char* className, const char* title, int control,
                   DWORD timeoutMs) {
    HWND window = NULL;
    WaitFor([&] { return (window = FindWindowOf(processId, className, title, control)) != NULL; },
            timeoutMs);
    return window;
}

std::string TextOf(HWND window) {
    char text[1024];
    return std::string(text, GetWindowTextA(window, text, sizeof text));
}

std::vector<std::string> ListItems(HWND list) {
    // Read wide: Wine leaves another process's list box text wide for the
    // ANSI call.
    std::vector<std::string> items;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[1024];
        char text[1024];
        int length = static_cast<int>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide)));
        items.emplace_back(text, WideCharToMultiByte(CP_ACP, 0, wide, length, text, sizeof text,
                                                      NULL, NULL));
    }
    return items;
}

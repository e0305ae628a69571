#include "harness.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char kComponentsKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion\\Components";
const char kProductKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion";
const char kEnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

namespace {

const char kBatchFile[] = "c:\\autoexec.bat";

void DeleteTree(HKEY root, const char* keyPath) {
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char child[1024];
    for (;;) {
        DWORD length = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        std::string childPath = std::string(keyPath) + "\\" + child;
        DeleteTree(root, childPath.c_str());
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, keyPath);
}

void Restore(const std::string& name, const StoredValue& value) {
    if (value.exists)
        SetValue(HKEY_LOCAL_MACHINE, kEnvironmentKey, name, value.type, value.text, false);
    else
        DeleteEnvironment(name);
}

} // namespace

std::string BuildDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string dir(path, length);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

const char* MatrixVersion() {
    const char* version = getenv("QV_WINDOWS_VERSION");
    return version != NULL && version[0] != '\0' ? version : NULL;
}

bool MatrixIsWindows9x() {
    const char* version = MatrixVersion();
    return version != NULL && (strcmp(version, "win95") == 0 || strcmp(version, "win98") == 0 ||
                               strcmp(version, "winme") == 0);
}

bool MatrixIsWindowsNt() {
    return MatrixVersion() != NULL && !MatrixIsWindows9x();
}

void ResetInstallation() {
    DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tovrik");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kComponentsKey, 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    RegCloseKey(key);
}

void RegisterComponent(const std::string& name, const std::string& file) {
    SetValue(HKEY_LOCAL_MACHINE, kComponentsKey, name, REG_SZ, file);
}

void SetInstallDirectory(const std::string& dir) {
    SetValue(HKEY_LOCAL_MACHINE, kProductKey, "FilePath", REG_SZ, dir);
}

StoredValue GetValue(HKEY root, const char* keyPath, const std::string& name) {
    StoredValue value;
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    DWORD length = 0;
    if (RegQueryValueExA(key, name.c_str(), NULL, &value.type, NULL, &length) == ERROR_SUCCESS) {
        std::string data(length, '\0');
        if (RegQueryValueExA(key, name.c_str(), NULL, &value.type,
                             reinterpret_cast<BYTE*>(&data[0]), &length) == ERROR_SUCCESS) {
            value.exists = true;
            data.resize(length);
            // Text values are compared without their terminating NUL.
            if ((value.type == REG_SZ || value.type == REG_EXPAND_SZ) && !data.empty() &&
                data.back() == '\0')
                data.pop_back();
            value.text = data;
        }
    }
    RegCloseKey(key);
    return value;
}

void SetValue(HKEY root, const char* keyPath, const std::string& name, DWORD type,
              const std::string& data, bool withNul) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, keyPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    LONG status =
        RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + (withNul ? 1 : 0)));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, status) << "setting " << name;
}

void DeleteValue(HKEY root, const char* keyPath, const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

StoredValue GetEnvironment(const std::string& name) {
    return GetValue(HKEY_LOCAL_MACHINE, kEnvironmentKey, name);
}

void SetEnvironment(const std::string& name, DWORD type, const std::string& text) {
    SetValue(HKEY_LOCAL_MACHINE, kEnvironmentKey, name, type, text);
}

void DeleteEnvironment(const std::string& name) {
    DeleteValue(HKEY_LOCAL_MACHINE, kEnvironmentKey, name);
}

bool ReadWholeFile(const std::string& path, std::string* content) {
    content->clear();
    FILE* file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    char buffer[65536];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, file)) > 0)
        content->append(buffer, count);
    fclose(file);
    return true;
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file != NULL) << "cannot write " << path;
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(strtoul(hex.substr(i, 2).c_str(), NULL, 16)));
    return bytes;
}

void ProgramTest::SetUp() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string base = "C:\\qvtest\\";
    CreateDirectoryA(base.c_str(), NULL);
    // Blanks in the directory prove that nothing splits the path at them.
    dir_ = base + test->test_suite_name() + " " + test->name() + "\\";
    CreateDirectoryA(dir_.c_str(), NULL);
    programPath_ = dir_ + "qvuninst.exe";
    recordPath_ = dir_ + "record.txt";
    std::string build = BuildDirectory();
    ASSERT_TRUE(CopyFileA((build + "qvuninst.exe").c_str(), programPath_.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((build + "uninst.exe").c_str(), (dir_ + "uninst.exe").c_str(), FALSE));
    DeleteFileA(recordPath_.c_str());
    SetEnvironmentVariableA("QVTEST_RECORD", recordPath_.c_str());
    SetEnvironmentVariableA("QVTEST_SLEEP_MS", NULL);

    ResetInstallation();
    if (MatrixVersion() != NULL)
        SetValue(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\qvuninst.exe", "Version", REG_SZ,
                 MatrixVersion());
    savedPath_ = GetEnvironment("Path");
    savedClassPath_ = GetEnvironment("CLASSPATH");
    batchExisted_ = ReadWholeFile(kBatchFile, &savedBatch_);
}

void ProgramTest::TearDown() {
    Restore("Path", savedPath_);
    Restore("CLASSPATH", savedClassPath_);
    SetFileAttributesA(kBatchFile, FILE_ATTRIBUTE_NORMAL);
    if (batchExisted_)
        WriteWholeFile(kBatchFile, savedBatch_);
    else
        DeleteFileA(kBatchFile);
    RemoveDirectoryA("c:\\aut0exec.qvs");
    DeleteFileA("c:\\aut0exec.qvs");
    DeleteValue(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\qvuninst.exe", "Version");
}

void ProgramTest::RemoveUninstaller() {
    ASSERT_TRUE(DeleteFileA((dir_ + "uninst.exe").c_str()));
}

void ProgramTest::ReportWindows98() {
    SetValue(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\qvuninst.exe", "Version", REG_SZ,
             MatrixIsWindows9x() ? MatrixVersion() : "win98");
}

PROCESS_INFORMATION ProgramTest::Start(const std::string& tail) {
    std::string commandLine = "\"" + programPath_ + "\"";
    if (!tail.empty())
        commandLine += " " + tail;
    return StartCommandLine(commandLine);
}

PROCESS_INFORMATION ProgramTest::StartCommandLine(std::string commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(programPath_.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                                  dir_.c_str(), &startup, &process);
    EXPECT_TRUE(started) << "cannot start " << commandLine << ": error " << GetLastError();
    return process;
}

DWORD ProgramTest::Finish(PROCESS_INFORMATION& process, DWORD timeoutMs) {
    if (process.hProcess == NULL)
        return ~0u;
    DWORD exitCode = ~0u;
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "qvuninst.exe still running after " << timeoutMs << " ms";
        TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, 5000);
    } else {
        GetExitCodeProcess(process.hProcess, &exitCode);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process.hProcess = process.hThread = NULL;
    return exitCode;
}

DWORD ProgramTest::Run(const std::string& tail, DWORD timeoutMs) {
    PROCESS_INFORMATION process = Start(tail);
    return Finish(process, timeoutMs);
}

std::vector<Invocation> ProgramTest::Record() {
    std::vector<Invocation> record;
    std::string content;
    if (!ReadWholeFile(recordPath_, &content))
        return record;
    size_t at = 0;
    while (at < content.size()) {
        size_t lineEnd = content.find('\n', at);
        if (lineEnd == std::string::npos)
            lineEnd = content.size();
        std::string line = content.substr(at, lineEnd - at);
        at = lineEnd + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t blank = line.find(' ');
        std::string key = line.substr(0, blank);
        std::string value = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (key == "start") {
            record.push_back(Invocation());
            record.back().start = strtoull(value.c_str(), NULL, 10);
        } else if (record.empty()) {
            continue;
        } else if (key == "end") {
            record.back().end = strtoull(value.c_str(), NULL, 10);
        } else if (key == "cmdline") {
            record.back().commandLine = value;
        } else if (key == "pid") {
            record.back().processId = strtoul(value.c_str(), NULL, 10);
        } else if (key == "component") {
            record.back().component = value;
        } else if (key == "Path") {
            record.back().path = value;
        } else if (key == "CLASSPATH") {
            record.back().classPath = value;
        } else if (key == "autoexec") {
            record.back().autoexec = value;
        }
    }
    return record;
}

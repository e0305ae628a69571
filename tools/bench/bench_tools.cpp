// The Windows side of "./dev bench". Each mode prints lines
// "name value" (times in milliseconds, medians over the rounds):
//   bench_tools silent <rounds> <count>   qvuninst.exe removing <count>
//       components against a bare launcher and a batch file of start /wait
//   bench_tools launch <count>            that bare launcher
//   bench_tools batch <rounds> <MB>...    the c:\autoexec.bat rewrite
//       against a plain copy of the same file
//   bench_tools dialog <rounds> <count>   from the splash window to a
//       selection dialog listing <count> components
//   bench_tools remove-one                starts qvuninst.exe interactively,
//       removes the first listed component and cancels
// The programs are taken from C:\bench (qvuninst.exe, uninst.exe) and
// C:\bench\slow (qvuninst.exe with the stub uninstaller).
#include <windows.h>

#include "environment/environment_store.h"

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

const char kBenchDir[] = "C:\\bench\\";
const char kComponentsKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion\\Components";
const char kProductKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion";

double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void SetText(const char* keyPath, const std::string& name, const std::string& text) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                        NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

std::string ComponentName(int i) {
    char name[32];
    snprintf(name, sizeof name, "Component%04d", i);
    return name;
}

std::string ComponentFile(int i) {
    return std::string(kBenchDir) + ComponentName(i) + ".isu";
}

void RegisterComponents(int count) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kComponentsKey);
    for (int i = 0; i < count; ++i)
        SetText(kComponentsKey, ComponentName(i), ComponentFile(i));
}

// Runs a command line to its end; returns its wall time.
double TimeProcess(std::string commandLine, const char* dir) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    double start = NowMs();
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, dir, &startup,
                        &process)) {
        fprintf(stderr, "cannot start %s\n", commandLine.c_str());
        exit(1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    double elapsed = NowMs() - start;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

int Launch(int count) {
    for (int i = 0; i < count; ++i) {
        std::string commandLine = "uninst.exe -a -f\"" + ComponentFile(i) + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process;
        if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup,
                            &process))
            return 1;
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return 0;
}

int Silent(int rounds, int count) {
    std::string tail, batch;
    for (int i = count - 1; i >= 0; --i)
        batch += "start /wait uninst.exe -a -f\"" + ComponentFile(i) + "\"\r\n";
    for (int i = 0; i < count; ++i)
        tail += " -c " + ComponentName(i);
    FILE* file = fopen("C:\\bench\\remove.bat", "wb");
    fputs(batch.c_str(), file);
    fclose(file);

    std::vector<double> program, launcher, script;
    for (int round = 0; round < rounds; ++round) {
        RegisterComponents(count);
        program.push_back(TimeProcess("C:\\bench\\qvuninst.exe" + tail, kBenchDir));
        launcher.push_back(
            TimeProcess("C:\\bench\\launcher.exe launch " + std::to_string(count), kBenchDir));
        script.push_back(TimeProcess("cmd.exe /c C:\\bench\\remove.bat", kBenchDir));
    }
    printf("silent_program_ms %.1f\nsilent_launcher_ms %.1f\nsilent_batch_ms %.1f\n",
           Median(program), Median(launcher), Median(script));
    return 0;
}

int Batch(int rounds, const std::vector<int>& megabytes) {
    SetText(kProductKey, "FilePath", "C:\\Program Files\\Tovrik\\Quorvane");
    const std::string filler = "REM setting up the workstation, nothing to see on this line\r\n";
    const std::string pathLine = "SET PATH=C:\\Program Files\\Tovrik\\Quorvane\\BIN;\"%PATH%\"\r\n";
    for (int size : megabytes) {
        std::string content;
        while (content.size() < static_cast<size_t>(size) * 1024 * 1024)
            content += content.size() % 100000 < filler.size() ? pathLine : filler;
        std::vector<double> rewrite, copy;
        for (int round = 0; round < rounds; ++round) {
            FILE* file = fopen("c:\\autoexec.bat", "wb");
            fwrite(content.data(), 1, content.size(), file);
            fclose(file);
            double start = NowMs();
            CopyFileA("c:\\autoexec.bat", "c:\\autoexec.cpy", FALSE);
            copy.push_back(NowMs() - start);
            start = NowMs();
            WriteEnvironmentValue("Path", "", VER_PLATFORM_WIN32_WINDOWS, REG_SZ);
            rewrite.push_back(NowMs() - start);
        }
        DeleteFileA("c:\\autoexec.cpy");
        printf("batch_%dmb_rewrite_ms %.1f\nbatch_%dmb_copy_ms %.1f\n", size, Median(rewrite), size,
               Median(copy));
    }
    return 0;
}

HWND FindDialog() {
    return FindWindowA("#32770", "Select Components");
}

// Starts qvuninst.exe without arguments.
PROCESS_INFORMATION StartInteractive(const char* dir) {
    std::string commandLine = std::string(dir) + "qvuninst.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, dir, &startup, &process);
    return process;
}

void CancelAndWait(PROCESS_INFORMATION& process, HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0);
    WaitForSingleObject(process.hProcess, 20000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

int Dialog(int rounds, int count) {
    RegisterComponents(count);
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        PROCESS_INFORMATION process = StartInteractive(kBenchDir);
        while (FindWindowA("uninstal", NULL) == NULL)
            Sleep(1);
        double start = NowMs();
        HWND dialog;
        while ((dialog = FindDialog()) == NULL ||
               SendMessageA(GetDlgItem(dialog, 1000), LB_GETCOUNT, 0, 0) < count)
            Sleep(1);
        times.push_back(NowMs() - start);
        CancelAndWait(process, dialog);
    }
    printf("dialog_%d_ms %.1f\n", count, Median(times));
    return 0;
}

int RemoveOne() {
    RegisterComponents(2);
    PROCESS_INFORMATION process = StartInteractive("C:\\bench\\slow\\");
    HWND dialog;
    while ((dialog = FindDialog()) == NULL ||
           SendMessageA(GetDlgItem(dialog, 1000), LB_GETCOUNT, 0, 0) < 2)
        Sleep(10);
    HWND list = GetDlgItem(dialog, 1000);
    SendMessageA(list, LB_SETSEL, TRUE, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1000, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
    // The worker disables Cancel while it removes and enables it again after.
    HWND cancel = GetDlgItem(dialog, 1003);
    while (IsWindowEnabled(cancel))
        Sleep(1);
    while (!IsWindowEnabled(cancel))
        Sleep(10);
    CancelAndWait(process, dialog);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "launch" && argc == 3)
        return Launch(atoi(argv[2]));
    if (mode == "silent" && argc == 4)
        return Silent(atoi(argv[2]), atoi(argv[3]));
    if (mode == "batch" && argc >= 4) {
        std::vector<int> sizes;
        for (int i = 3; i < argc; ++i)
            sizes.push_back(atoi(argv[i]));
        return Batch(atoi(argv[2]), sizes);
    }
    if (mode == "dialog" && argc == 4)
        return Dialog(atoi(argv[2]), atoi(argv[3]));
    if (mode == "remove-one")
        return RemoveOne();
    fprintf(stderr, "usage: see the top of bench_tools.cpp\n");
    return 2;
}

// A stand-in for the product's uninstaller "uninst.exe": given -f"<file>",
// it deletes the component value registered with that file, as the real one
// removes the component, and ends. It writes down what it was given and saw
// for the tests, the demo and the benchmarks:
//   QVTEST_RECORD     file to append to: "start <time>", "pid <id>",
//                     "cmdline <its command line>", "seen <Snapshot() in hex>",
//                     "folder <its current folder, "own" when its own>",
//                     "boxes <visible windows of dialog class without a title>",
//                     then "component <value deleted>", "end <time>"
//   QVTEST_SLEEP_MS   how long it runs first (default 0)
//   QVTEST_EXIT_CODE  its exit code (default 0)
// When a test has made a semaphore "QvTestGo", it then waits for it: the test
// lets one uninstaller go at a time.
// A GUI program without windows, so that starting it shows nothing.
#include "record.h"

#include <stdlib.h>

namespace {

const char kComponentsKey[] = "SOFTWARE\\Tovrik\\Quorvane\\CurrentVersion\\Components";

const char* Variable(const char* name) {
    const char* value = getenv(name);
    return value != NULL ? value : "";
}

void Append(const std::string& text) {
    std::ofstream(Variable("QVTEST_RECORD"), std::ios::app | std::ios::binary) << text;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string seen, commandLine = GetCommandLineA();
    for (unsigned char c : Snapshot())
        seen += "0123456789abcdef"[c >> 4], seen += "0123456789abcdef"[c & 15];
    char path[MAX_PATH], folder[MAX_PATH];
    std::string own(path, GetModuleFileNameA(NULL, path, MAX_PATH));
    own.erase(own.rfind('\\')), GetCurrentDirectoryA(MAX_PATH, folder);
    int boxes = 0; // the progress boxes open now
    for (HWND box = NULL; (box = FindWindowExA(NULL, box, "#32770", "")) != NULL;)
        boxes += IsWindowVisible(box);
    Append("start " + std::to_string(Now()) + "\npid " + std::to_string(GetCurrentProcessId()) +
           "\ncmdline " + commandLine + "\nseen " + seen + "\nfolder " +
           (lstrcmpiA(own.c_str(), folder) ? folder : "own") + "\nboxes " + std::to_string(boxes) +
           "\n");
    Sleep(atoi(Variable("QVTEST_SLEEP_MS")));
    if (HANDLE go = OpenSemaphoreA(SYNCHRONIZE, FALSE, "QvTestGo"))
        WaitForSingleObject(go, 600000), CloseHandle(go);

    size_t at = commandLine.find("-f\"");
    std::string file = at == std::string::npos ? "" : commandLine.substr(at + 3);
    file.erase(std::min(file.find('"'), file.size()));
    std::string component;
    HKEY key;
    if (!file.empty() && RegOpenKeyExA(HKEY_LOCAL_MACHINE, kComponentsKey, 0, KEY_ALL_ACCESS,
                                       &key) == ERROR_SUCCESS) {
        char name[1024], data[1024];
        LONG status = ERROR_SUCCESS;
        for (DWORD i = 0; component.empty() && status != ERROR_NO_MORE_ITEMS; ++i) {
            DWORD nameSize = sizeof name, dataSize = sizeof data - 1;
            status = RegEnumValueA(key, i, name, &nameSize, NULL, NULL, (BYTE*)data, &dataSize);
            data[status == ERROR_SUCCESS ? dataSize : 0] = '\0';
            if (status == ERROR_SUCCESS && file == data && RegDeleteValueA(key, name) == 0)
                component = name;
        }
        RegCloseKey(key);
    }
    Append("component " + component + "\nend " + std::to_string(Now()) + "\n");
    return atoi(Variable("QVTEST_EXIT_CODE"));
}

// The uninstaller runner called in this process, to see what it leaves.
#include "harness.h"

#include "removal/registration.h"
#include "removal/remove_component.h"

namespace {

class RunnerHandles : public ProgramTest {};

bool ProcessIdFreed(DWORD processId, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
        if (process == NULL)
            return true;
        CloseHandle(process);
        Sleep(50);
    }
    return false;
}

TEST_F(RunnerHandles, NoHandleOfTheUninstallerOutlivesTheCall) {
    // CreateProcess searches this program's directory first: put the stub
    // where it is found.
    std::string stub = BuildDirectory() + "uninst.exe";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(stub.c_str()));
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    RemoveComponent(ComponentsKey, "Alpha", NULL, 1);
    std::vector<Invocation> record = Record();
    ASSERT_EQ(1u, record.size());
    EXPECT_EQ("Alpha", record[0].component);
    // A process object lives on while any handle to it is open: once all
    // are closed, its id soon no longer opens (Wine keeps it for a moment).
    EXPECT_TRUE(ProcessIdFreed(record[0].processId, 10000))
        << "a handle of the ended uninstaller is still open";
}

} // namespace

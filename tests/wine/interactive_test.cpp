// The real qvuninst.exe started without a tail, driven through its windows by
// the messages their controls send, with the stub uninstaller behind it.
#include "harness.h"

namespace {

const int kList = 1000, kCancel = 1003, kRemove = 1004, kProgressName = 1008;
const int kMessageText = 0xFFFF; // the text of a message box

// When the program g_program created its splash window [0] and its first
// dialog [1], by its own clock.
DWORD g_program, g_created[2];

void CALLBACK OnCreate(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD ms) {
    char name[16] = "";
    DWORD process = 0;
    GetClassNameA(window, name, sizeof name);
    GetWindowThreadProcessId(window, &process);
    bool dialog = strcmp(name, "#32770") == 0;
    if (object == OBJID_WINDOW && process == g_program && (dialog || !strcmp(name, "uninstal")) &&
        !g_created[dialog])
        g_created[dialog] = ms;
}

class Interactive : public ::testing::Test {
  protected:
    void TearDown() override {
        if (program_.hProcess != NULL)
            TerminateProcess(program_.hProcess, 1), FinishProgram(program_);
    }

    // Starts the program on this installation; waits for its dialog when
    // told to.
    bool Start(const char* windows, const std::vector<Component>& installed,
               bool uninstaller = true, DWORD waitMs = 15000) {
        PrepareProgram(uninstaller);
        Install(installed);
        ReportWindows(windows);
        program_ = StartProgram("");
        dialog_ = FindWindowOf(program_.dwProcessId, "#32770", "Select Components", waitMs);
        list_ = GetDlgItem(dialog_, kList);
        return dialog_ != NULL;
    }

    // What a click on the control tells the dialog.
    void Press(int control) {
        PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog_, control)));
    }

    // What clicks on list items do, with the list's notifications.
    void Select(std::initializer_list<int> indexes, bool selected = true) {
        for (int index : indexes) {
            SendMessageA(list_, LB_SETSEL, selected, index);
            SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(kList, LBN_SELCHANGE), (LPARAM)list_);
        }
    }

    bool Enabled(int control) {
        return IsWindowEnabled(GetDlgItem(dialog_, control));
    }

    HWND Box(const char* title) {
        return FindWindowOf(program_.dwProcessId, "#32770", title, 30000);
    }

    PROCESS_INFORMATION program_ = {};
    HWND dialog_ = NULL, list_ = NULL;
};

// Registered in this order, which is also the registry's index order: the
// 256-character name ends the list.
TEST_F(Interactive, TheDialogOpensOnceHalfASecondAfterTheStartListingAllButExactlyClientBase) {
    const std::string y255(255, 'Y'), y256(256, 'Y');
    MSG message; // the events come through this thread's message queue
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, NULL, OnCreate,
                                         0, 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(
        Start("win95",
              {kAlpha, kBase, {"Client\255Base", "s"}, {y255, "y"}, {y256, "y"}, {"Zeta", "z"}}));
    g_program = program_.dwProcessId;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    UnhookWinEvent(hook);
    EXPECT_GE(g_created[1] - g_created[0], 495u) << "the dialog opened too soon";
    EXPECT_LT(g_created[1] - g_created[0], 3000u) << "the dialog opened too late";
    EXPECT_EQ(FindWindowOf(program_.dwProcessId, "uninstal", "Quorvane Client Uninstall"),
              GetWindow(dialog_, GW_OWNER));
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Client\255Base", y255}), ListItems(list_));
    EXPECT_FALSE(Enabled(kRemove)) << "Remove is enabled with nothing selected";
    Sleep(1200); // two ticks of a timer left running
    EXPECT_EQ(dialog_, FindWindowOf(program_.dwProcessId, "#32770", "Select Components"))
        << "a second dialog opened";
    Press(kCancel);
    EXPECT_EQ(0u, FinishProgram(program_));
    EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(Interactive, ACloseEndsTheProgramOnlyBeforeTheDialogOpens) {
    Start("winxp", {kAlpha}, true, 0);
    HWND splash = FindWindowOf(program_.dwProcessId, "uninstal", NULL);
    ASSERT_TRUE(splash != NULL);
    SendMessageA(splash, WM_CLOSE, 0, 0);
    // Handled before the timer's message, the close ends the program; after
    // it, the dialog is open and stays.
    if (IsWindow(splash)) {
        EXPECT_TRUE(FindWindowOf(program_.dwProcessId, "#32770", "Select Components", 0))
            << "a close before the dialog opened was ignored";
        GTEST_SKIP() << "the dialog opened before the close came";
    }
    EXPECT_EQ(0u, FinishProgram(program_));
}

TEST_F(Interactive, RemoveFollowsTheSelectionAndOnlyCancelEndsTheDialog) {
    // The registry's index order is Alpha, clientbase, ~x.
    ASSERT_TRUE(Start("nt40", {kAlpha, {"clientbase", "C:\\Q\\c.isu"}, {"~x", "C:\\Q\\x.isu"}}));
    EXPECT_EQ((std::vector<std::string>{"~x", "Alpha", "clientbase"}), ListItems(list_));
    const int steps[][3] = {{1, true, true}, {0, true, true}, {1, false, true}, {0, false, false}};
    for (const auto& step : steps) {
        Select({step[0]}, step[1]);
        EXPECT_EQ(step[2], Enabled(kRemove)) << (step[1] ? "selecting " : "clearing ") << step[0];
    }
    // Escape, Enter and the close boxes land before the first of two markers;
    // what they post in turn lands before the second.
    PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog_, WM_COMMAND, IDOK, 0);
    PostMessageA(dialog_, WM_CLOSE, 0, 0);
    PostMessageA(GetWindow(dialog_, GW_OWNER), WM_CLOSE, 0, 0);
    for (LPARAM marker : {1, 2}) {
        PostMessageA(list_, LB_SETITEMDATA, 0, marker);
        EXPECT_TRUE(WaitFor([&] { return SendMessageA(list_, LB_GETITEMDATA, 0, 0) == marker; }))
            << "the dialog has gone";
    }
    Press(kCancel);
    EXPECT_EQ(0u, FinishProgram(program_));
    EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(Interactive, ARemovalGoesBottomUpUntouchedByCloseCancelOrStrayMessagesThenOnToClientBase) {
    SetEnvironment("2 C:\\A;C:\\PROD\\BIN;C:\\B", "1 C:\\PROD\\java\\lib;C:\\C", "none");
    SetEnvironmentVariableA("QVTEST_SLEEP_MS", "800");
    ASSERT_TRUE(Start("winxp", {kAlpha, kBeta, kGamma, kBase}));
    Select({0, 2});
    Press(kRemove); // queued right behind one another
    Press(kRemove);
    Press(kCancel);
    HWND progress = Box(""), splash = GetWindow(dialog_, GW_OWNER);
    EXPECT_EQ("Gamma", TextOf(GetDlgItem(progress, kProgressName)));
    EXPECT_FALSE(Enabled(kList) || Enabled(kCancel) || Enabled(kRemove));
    PostMessageA(splash, WM_CLOSE, 0, 0);
    SendMessageA(dialog_, DM_SETDEFID, kRemove, 0);
    EXPECT_EQ(FALSE, SendMessageA(splash, WM_QUERYENDSESSION, 0, 0)) << "a shutdown may end it";
    EXPECT_TRUE(IsWindow(progress)) << "Gamma's uninstaller ended before these checks";
    HWND next = NULL;
    EXPECT_TRUE(WaitFor([&] { return (next = Box("")) != progress; }));
    EXPECT_EQ("Alpha", TextOf(GetDlgItem(next, kProgressName)));
    EXPECT_FALSE(IsWindow(progress)) << "Gamma's progress box outlived its uninstaller";

    ASSERT_TRUE(WaitFor([&] { return ListItems(list_).size() == 1 && Enabled(kCancel); }));
    EXPECT_EQ(std::vector<std::string>{"Beta"}, ListItems(list_));
    EXPECT_FALSE(Enabled(kRemove)) << "Remove is enabled with nothing selected";
    std::vector<Call> calls = RecordedCalls();
    ExpectCalls({kGamma.file, kAlpha.file}, calls, Now());
    for (Call call : calls) {
        EXPECT_TRUE(WaitFor([&] {
            HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, stoul(call["pid"]));
            return handle == NULL || !CloseHandle(handle);
        })) << "a handle of an ended uninstaller stays open";
    }

    Select({0});
    Press(kRemove);
    HWND done = Box("Quorvane");
    EXPECT_EQ("The Quorvane Clients have been successfully removed",
              TextOf(GetDlgItem(done, kMessageText)));
    EXPECT_EQ(dialog_, GetWindow(done, GW_OWNER));
    calls = RecordedCalls();
    ExpectCalls({kGamma.file, kAlpha.file, kBeta.file, kBase.file}, calls, Now());
    EXPECT_EQ(Described("2 C:\\A;C:\\B", "1 C:\\C", "none"),
              calls.empty() ? "" : calls.back()["seen"]);
    PostMessageA(done, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0u, FinishProgram(program_));
}

TEST_F(Interactive, AFailedStartIsReportedForEachComponentAndBothLeaveTheList) {
    ASSERT_TRUE(Start("win98", {kAlpha, kBeta, kGamma, kBase}, false));
    Select({0, 1});
    Press(kRemove);
    for (int box = 0; box < 2; ++box) {
        HWND failed = Box("Quorvane Client");
        EXPECT_EQ("Call to CreateProcess() failed", TextOf(GetDlgItem(failed, kMessageText)));
        PostMessageA(failed, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(failed); }));
    }
    EXPECT_TRUE(WaitFor([&] { return ListItems(list_).size() == 1 && Enabled(kCancel); }));
    EXPECT_EQ(std::vector<std::string>{"Gamma"}, ListItems(list_));
    Press(kCancel);
    EXPECT_EQ(0u, FinishProgram(program_));
}

} // namespace

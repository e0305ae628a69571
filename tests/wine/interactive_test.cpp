// The real qvuninst.exe started without a tail, driven through its windows by
// the messages their controls send, with the stub uninstaller behind it.
#include "harness.h"

namespace {

const Component kAlpha{"Alpha", "C:\\Q\\alpha.isu"}, kBeta{"Beta", "C:\\Q\\beta.isu"},
    kGamma{"Gamma", "C:\\Q\\gamma.isu"}, kBase{"ClientBase", "C:\\Q\\base.isu"};
const int kList = 1000, kCancel = 1003, kRemove = 1004, kProgressName = 1008;
const int kMessageText = 0xFFFF; // the text of a message box

class Interactive : public ::testing::Test {
  protected:
    void TearDown() override {
        if (program_.hProcess != NULL)
            TerminateProcess(program_.hProcess, 1), FinishProgram(program_);
    }

    // Starts the program on this installation and waits for its dialog.
    bool Start(const char* windows, const std::vector<Component>& installed,
               bool uninstaller = true) {
        PrepareProgram(uninstaller);
        Install(installed);
        ReportWindows(windows);
        program_ = StartProgram("");
        dialog_ = WaitForWindow(program_.dwProcessId, "#32770", "Select Components");
        list_ = GetDlgItem(dialog_, kList);
        return dialog_ != NULL;
    }

    // What a click on the control tells the dialog.
    void Press(int control) {
        PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog_, control)));
    }

    // What a click on a list item does, and the list's notification.
    void Select(int index, bool selected = true) {
        SendMessageA(list_, LB_SETSEL, selected, index);
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(kList, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list_));
    }

    bool Enabled(int control) {
        return IsWindowEnabled(GetDlgItem(dialog_, control));
    }

    // Waits for the end of a removal that leaves these items listed.
    bool Idle(const std::vector<std::string>& items) {
        return WaitFor([&] { return ListItems(list_) == items && Enabled(kCancel); });
    }

    HWND Window(const char* title, int control = 0) {
        return WaitForWindow(program_.dwProcessId, "#32770", title, control, 30000);
    }

    PROCESS_INFORMATION program_ = {};
    HWND dialog_ = NULL, list_ = NULL;
};

TEST_F(Interactive, TheDialogOpensOnceHalfASecondAfterTheStartOverTheSplash) {
    ASSERT_TRUE(Start("win95", {kAlpha}));
    unsigned long long opened = Now();
    FILETIME created, unused;
    GetProcessTimes(program_.hProcess, &created, &unused, &unused, &unused);
    EXPECT_LE((static_cast<unsigned long long>(created.dwHighDateTime) << 32 |
               created.dwLowDateTime) + 5000000, opened)
        << "the dialog opened less than 500 ms after the start";
    HWND splash = GetWindow(dialog_, GW_OWNER);
    EXPECT_EQ("uninstal Quorvane Client Uninstall", [&] {
        char name[64] = "";
        GetClassNameA(splash, name, sizeof name);
        return name + (" " + TextOf(splash));
    }());
    Sleep(1200); // more than two ticks of a timer left running
    EXPECT_EQ(dialog_, FindWindowOf(program_.dwProcessId, "#32770", "Select Components"))
        << "a second dialog opened";
    Press(kCancel);
    EXPECT_EQ(0u, FinishProgram(program_));
    EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(Interactive, ACloseEndsTheProgramOnlyBeforeTheDialogOpens) {
    PrepareProgram();
    Install({kAlpha});
    ReportWindows("winxp");
    program_ = StartProgram("");
    HWND splash = NULL;
    ASSERT_TRUE(WaitFor([&] {
        return (splash = FindWindowOf(program_.dwProcessId, "uninstal", NULL)) != NULL;
    }));
    SendMessageA(splash, WM_CLOSE, 0, 0);
    // Handled before the timer's message, the close ends the program; after
    // it, the dialog is open and stays.
    if (IsWindow(splash)) {
        EXPECT_NE(nullptr, FindWindowOf(program_.dwProcessId, "#32770", "Select Components"))
            << "the close was ignored before the dialog opened";
        GTEST_SKIP() << "the dialog opened before the close came";
    }
    EXPECT_EQ(0u, FinishProgram(program_));
}

TEST_F(Interactive, TheListHoldsEveryComponentButExactlyClientBaseSortedUpToATooLongName) {
    const std::string y255(255, 'Y'), y256(256, 'Y'), softHyphen = "Client\xAD" "Base";
    const struct {
        std::vector<Component> installed;
        std::vector<std::string> listed;
    } rows[] = {
        {{{"Zeta", "z"}, {"clientbase", "c"}}, {"clientbase", "Zeta"}},
        // Index order as written: the 256-character name ends the enumeration.
        {{kAlpha, kBase, {softHyphen, "s"}, {y255, "y"}, {y256, "y"}, {"Zeta", "z"}},
         {"Alpha", softHyphen, y255}},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(Start("winxp", row.installed));
        EXPECT_EQ(row.listed, ListItems(list_));
        EXPECT_FALSE(Enabled(kRemove)) << "Remove is enabled with nothing selected";
        Press(kCancel);
        EXPECT_EQ(0u, FinishProgram(program_));
    }
}

TEST_F(Interactive, RemoveFollowsTheSelectionAndOnlyCancelEndsTheDialog) {
    ASSERT_TRUE(Start("nt40", {kAlpha, kBeta, kBase}));
    const struct {
        int index;
        bool selected, removeEnabled;
    } steps[] = {{1, true, true}, {0, true, true}, {1, false, true}, {0, false, false}};
    for (const auto& step : steps) {
        Select(step.index, step.selected);
        EXPECT_EQ(step.removeEnabled, Enabled(kRemove))
            << "after " << (step.selected ? "selecting " : "clearing ") << step.index;
    }
    // Escape, Enter, the close boxes: each lands in the queue before the
    // first of two markers; what they post in turn lands before the second.
    PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog_, WM_COMMAND, IDOK, 0);
    PostMessageA(dialog_, WM_CLOSE, 0, 0);
    PostMessageA(GetWindow(dialog_, GW_OWNER), WM_CLOSE, 0, 0);
    for (LPARAM marker : {1, 2}) {
        PostMessageA(list_, LB_SETITEMDATA, 0, marker);
        EXPECT_TRUE(WaitFor([&] { return SendMessageA(list_, LB_GETITEMDATA, 0, 0) == marker; }))
            << "the dialog ended";
    }
    Press(kCancel);
    EXPECT_EQ(0u, FinishProgram(program_));
    EXPECT_TRUE(RecordedCalls().empty());
}

TEST_F(Interactive, ARemovalGoesBottomUpUntouchedByCloseCancelOrStrayMessagesThenOnToClientBase) {
    SetEnvironment("2 C:\\A;C:\\PROD\\BIN;C:\\B", "1 C:\\PROD\\java\\lib;C:\\C", "none");
    SetEnvironmentVariableA("QVTEST_SLEEP_MS", "800");
    ASSERT_TRUE(Start("winxp", {kAlpha, kBeta, kGamma, kBase}));
    Select(0);
    Select(2);
    Press(kRemove);
    Press(kRemove);
    Press(kCancel);
    HWND progress = Window("", kProgressName), splash = GetWindow(dialog_, GW_OWNER);
    EXPECT_EQ("Gamma", TextOf(GetDlgItem(progress, kProgressName)));
    EXPECT_FALSE(Enabled(kList) || Enabled(kCancel) || Enabled(kRemove));
    PostMessageA(splash, WM_CLOSE, 0, 0);
    SendMessageA(dialog_, DM_SETDEFID, kRemove, 0);
    EXPECT_EQ(FALSE, SendMessageA(splash, WM_QUERYENDSESSION, 0, 0)) << "a shutdown may end it";
    EXPECT_TRUE(IsWindow(progress)) << "Gamma's uninstaller ended before the checks";

    ASSERT_TRUE(Idle({"Beta"})) << "the removal did not end with Beta left";
    EXPECT_FALSE(Enabled(kRemove)) << "Remove is enabled with nothing selected";
    std::vector<Call> calls = RecordedCalls();
    EXPECT_EQ(CommandLines({kGamma.file, kAlpha.file}), CommandLines(calls));
    for (const Call& call : calls) {
        EXPECT_TRUE(WaitFor([&] {
            HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, call.processId);
            return handle == NULL || !CloseHandle(handle);
        })) << "a handle of the ended uninstaller stays open";
    }

    Select(0);
    Press(kRemove);
    HWND done = Window("Quorvane");
    EXPECT_EQ("The Quorvane Clients have been successfully removed",
              TextOf(GetDlgItem(done, kMessageText)));
    EXPECT_EQ(dialog_, GetWindow(done, GW_OWNER));
    calls = RecordedCalls();
    EXPECT_EQ(CommandLines({kGamma.file, kAlpha.file, kBeta.file, kBase.file}),
              CommandLines(calls));
    ExpectOneAfterAnother(calls, Now());
    EXPECT_EQ(Described("2 C:\\A;C:\\B", "1 C:\\C", "none"), calls.back().seen);
    PostMessageA(done, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0u, FinishProgram(program_));
}

TEST_F(Interactive, AFailedStartIsReportedForEachComponentAndBothLeaveTheList) {
    ASSERT_TRUE(Start("win98", {kAlpha, kBeta, kGamma, kBase}, false));
    Select(0);
    Select(1);
    Press(kRemove);
    for (int box = 0; box < 2; ++box) {
        HWND failed = Window("Quorvane Client");
        EXPECT_EQ("Call to CreateProcess() failed", TextOf(GetDlgItem(failed, kMessageText)));
        PostMessageA(failed, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(failed); }));
    }
    EXPECT_TRUE(Idle({"Gamma"})) << "the failed components stay listed";
    Press(kCancel);
    EXPECT_EQ(0u, FinishProgram(program_));
}

} // namespace

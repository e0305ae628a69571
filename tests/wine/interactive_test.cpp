// The real qvuninst.exe started without arguments, driven as a user would:
// real clicks on its windows, and what they show read off the screen.
#include "harness.h"
#include "user_driver.h"

#include <algorithm>

namespace {

const char kSplashClass[] = "uninstal";
const char kSplashTitle[] = "Quorvane Client Uninstall";
const char kDialogClass[] = "#32770";
const char kDialogTitle[] = "Select Components";
const char kRemovedText[] = "The Quorvane Clients have been successfully removed";
const char kRemovedCaption[] = "Quorvane";
const char kStartFailedText[] = "Call to CreateProcess() failed";
const char kStartFailedCaption[] = "Quorvane Client";

const int kComponentList = 1000;
const int kCancelButton = 1003;
const int kRemoveButton = 1004;
const int kProgressName = 1008;

std::string Uninstaller(const std::string& file) {
    return "uninst.exe -a -f\"" + file + "\"";
}

// Registers each component with the file C:\Q\<name in lower case>.isu,
// ClientBase with C:\Q\base.isu.
void RegisterComponents(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        std::string file = name;
        for (char& c : file)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        RegisterComponent(name, "C:\\Q\\" + (file == "clientbase" ? "base" : file) + ".isu");
    }
}

std::vector<std::string> CommandLines(const std::vector<Invocation>& record) {
    std::vector<std::string> lines;
    for (const Invocation& invocation : record)
        lines.push_back(invocation.commandLine);
    return lines;
}

// Runs the program without arguments and drives its windows. A program
// still running when a test ends is ended, so that none outlives its test.
class Interactive : public ProgramTest {
  protected:
    void TearDown() override {
        if (process_.hProcess != NULL) {
            TerminateProcess(process_.hProcess, 255);
            WaitForSingleObject(process_.hProcess, 5000);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
            process_ = {};
        }
        ProgramTest::TearDown();
    }

    void StartProgram() {
        process_ = Start("");
        dialog_ = list_ = cancel_ = remove_ = NULL;
    }

    DWORD ProcessId() const {
        return process_.dwProcessId;
    }

    bool Running() const {
        return process_.hProcess != NULL &&
               WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
    }

    // The program's exit code; fails the test when it does not end in time.
    DWORD End() {
        return Finish(process_, kDeadlineMs);
    }

    // WaitUntil that gives up as soon as the program has ended.
    ::testing::AssertionResult Await(const std::function<bool()>& condition,
                                     const std::string& awaited,
                                     const std::function<std::string()>& seen = nullptr,
                                     DWORD timeoutMs = kDeadlineMs) {
        bool ended = false;
        ::testing::AssertionResult result = WaitUntil(
            [&] {
                if (condition())
                    return true;
                ended = !Running();
                return ended;
            },
            awaited, seen, timeoutMs);
        if (!ended)
            return result;
        DWORD exitCode = ~0u;
        GetExitCodeProcess(process_.hProcess, &exitCode);
        return ::testing::AssertionFailure()
               << "the program ended, exit code " << exitCode << ", while waiting for " << awaited;
    }

    // Waits for the selection dialog and takes its controls.
    ::testing::AssertionResult WaitForDialog(DWORD timeoutMs = kDeadlineMs) {
        ::testing::AssertionResult shown =
            WaitForWindow(ProcessId(), kDialogClass, kDialogTitle, &dialog_, nullptr, timeoutMs);
        if (!shown)
            return shown;
        list_ = GetDlgItem(dialog_, kComponentList);
        cancel_ = GetDlgItem(dialog_, kCancelButton);
        remove_ = GetDlgItem(dialog_, kRemoveButton);
        if (list_ == NULL || cancel_ == NULL || remove_ == NULL)
            return ::testing::AssertionFailure()
                   << "the dialog lacks its list, Cancel or Remove (" << list_ << ", " << cancel_
                   << ", " << remove_ << ")";
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult StartAndWaitForDialog() {
        StartProgram();
        if (process_.hProcess == NULL)
            return ::testing::AssertionFailure() << "the program did not start";
        return WaitForDialog();
    }

    // Clicks the named items of the list, each of which must then be
    // selected.
    ::testing::AssertionResult Select(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            std::vector<std::string> items = ListItems(list_);
            auto found = std::find(items.begin(), items.end(), name);
            if (found == items.end())
                return ::testing::AssertionFailure()
                       << "\"" << name << "\" is not listed; the list shows "
                       << ::testing::PrintToString(items);
            int index = static_cast<int>(found - items.begin());
            ::testing::AssertionResult clicked = ClickListItem(list_, index);
            if (!clicked)
                return clicked << " (selecting \"" << name << "\")";
            ::testing::AssertionResult selected = Await(
                [&] {
                    std::vector<int> now = SelectedIndexes(list_);
                    return std::find(now.begin(), now.end(), index) != now.end();
                },
                "\"" + name + "\" to be selected after a click on it",
                [&] { return "selected " + ::testing::PrintToString(SelectedIndexes(list_)); });
            if (!selected)
                return selected;
        }
        return ::testing::AssertionSuccess();
    }

    std::string DescribeDialog() {
        return "the list shows " + ::testing::PrintToString(ListItems(list_)) + ", list " +
               (IsWindowEnabled(list_) ? "enabled" : "disabled") + ", Cancel " +
               (IsWindowEnabled(cancel_) ? "enabled" : "disabled") + ", Remove " +
               (IsWindowEnabled(remove_) ? "enabled" : "disabled") + "; windows:\n" +
               DescribeTopLevelWindows(ProcessId());
    }

    // Waits until a removal has left the list with remaining items and given
    // the list and Cancel back.
    ::testing::AssertionResult WaitForRemovalToEnd(size_t remaining) {
        return Await(
            [&] {
                return ListItems(list_).size() == remaining && IsWindowEnabled(cancel_) &&
                       IsWindowEnabled(list_);
            },
            std::to_string(remaining) + " items left and the list and Cancel enabled",
            [&] { return DescribeDialog(); });
    }

    // Waits for a message box with that caption.
    ::testing::AssertionResult WaitForMessageBox(const char* caption, HWND* box) {
        return WaitForWindow(ProcessId(), kDialogClass, caption, box,
                             [](HWND window) { return GetDlgItem(window, IDOK) != NULL; });
    }

    // Clicks OK on the message box and waits for it to go.
    ::testing::AssertionResult Dismiss(HWND box) {
        ::testing::AssertionResult clicked = Click(GetDlgItem(box, IDOK));
        if (!clicked)
            return clicked;
        return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); },
                         "the message box to close after a click on OK",
                         [&] { return DescribeTopLevelWindows(ProcessId()); });
    }

    // Waits until the program has ended, counting the selection dialogs seen
    // on the way.
    size_t DialogsUntilTheEnd() {
        size_t dialogs = 0;
        WaitUntil(
            [&] {
                dialogs += TopLevelWindows(ProcessId(), kDialogClass, kDialogTitle).size();
                return !Running();
            },
            "the program to end");
        return dialogs;
    }

    PROCESS_INFORMATION process_ = {};
    HWND dialog_ = NULL;
    HWND list_ = NULL;
    HWND cancel_ = NULL;
    HWND remove_ = NULL;
};

// The splash window and the dialog it opens.
class SplashWindow : public Interactive {
  protected:
    // Polls closely: the time the window is first seen starts the clock.
    ::testing::AssertionResult WaitForSplash(HWND* splash) {
        return Await(
            [&] {
                *splash = FindWindowA(kSplashClass, kSplashTitle);
                DWORD owner = 0;
                GetWindowThreadProcessId(*splash, &owner);
                return *splash != NULL && owner == ProcessId();
            },
            "the splash window", [&] { return DescribeTopLevelWindows(ProcessId()); });
    }
};

TEST_F(SplashWindow, OpensTheDialogHalfASecondLaterAndOnlyOnce) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    StartProgram();
    HWND splash = NULL;
    ASSERT_TRUE(WaitForSplash(&splash));
    unsigned long long splashSeen = NowMs();
    ASSERT_TRUE(WaitForDialog(10000));
    unsigned long long dialogSeen = NowMs();
    EXPECT_GE(dialogSeen - splashSeen, 250u) << "the dialog opened too soon after the splash";
    EXPECT_EQ(splash, GetWindow(dialog_, GW_OWNER)) << "the dialog is not owned by the splash";

    RECT rect;
    ASSERT_TRUE(GetWindowRect(splash, &rect));
    int border = GetSystemMetrics(SM_CYBORDER), caption = GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(500 + 2 * border, rect.right - rect.left)
        << "the bitmap's 500 and twice SM_CYBORDER, " << border;
    EXPECT_EQ(340 + 3 * border + caption, rect.bottom - rect.top)
        << "the bitmap's 340, three times SM_CYBORDER, " << border << ", and SM_CYCAPTION, "
        << caption;
    LONG style = GetWindowLongA(splash, GWL_STYLE);
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_EQ(WS_SYSMENU, style & WS_SYSMENU);

    // Another tick of the splash's timer would open a second dialog.
    Sleep(1500);
    EXPECT_EQ(1u, TopLevelWindows(ProcessId(), kDialogClass, kDialogTitle).size())
        << DescribeTopLevelWindows(ProcessId());
    ASSERT_TRUE(Click(cancel_));
    EXPECT_EQ(0u, End());
}

TEST_F(SplashWindow, AClickOnItsCloseBoxBeforeTheDialogOpensEndsTheProgram) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    StartProgram();
    HWND splash = NULL;
    ASSERT_TRUE(WaitForWindow(ProcessId(), kSplashClass, kSplashTitle, &splash));
    ASSERT_TRUE(ClickCloseBox(splash));
    EXPECT_EQ(0u, DialogsUntilTheEnd()) << "the dialog opened after the splash window was closed";
    EXPECT_EQ(0u, End());
}

TEST_F(SplashWindow, CloseMessageBeforeTheDialogOpensEndsTheProgram) {
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    StartProgram();
    HWND splash = NULL;
    ASSERT_TRUE(WaitForSplash(&splash));
    ASSERT_TRUE(PostMessageA(splash, WM_CLOSE, 0, 0));
    EXPECT_EQ(0u, DialogsUntilTheEnd()) << "the dialog opened after the splash window was closed";
    EXPECT_EQ(0u, End());
}

// What the dialog lists and when Remove may be pressed.
class ComponentList : public Interactive {};

TEST_F(ComponentList, ShowsTheComponentsSortedWithoutClientBase) {
    RegisterComponents({"Zeta", "Alpha", "ClientBase"});
    ASSERT_TRUE(StartAndWaitForDialog());
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Zeta"}), ListItems(list_));
    EXPECT_TRUE(IsWindowEnabled(list_));
    EXPECT_TRUE(IsWindowEnabled(cancel_));
    EXPECT_FALSE(IsWindowEnabled(remove_)) << "Remove is enabled with nothing selected";
}

TEST_F(ComponentList, RemoveIsEnabledExactlyWhileSomethingIsSelected) {
    RegisterComponents({"Zeta", "Alpha", "ClientBase"});
    ASSERT_TRUE(StartAndWaitForDialog());
    ASSERT_FALSE(IsWindowEnabled(remove_));

    auto removeIs = [&](bool enabled) {
        return Await([&] { return (IsWindowEnabled(remove_) != FALSE) == enabled; },
                     std::string("Remove to be ") + (enabled ? "enabled" : "disabled"),
                     [&] {
                         return "Remove is " +
                                std::string(IsWindowEnabled(remove_) ? "enabled" : "disabled") +
                                " with " + ::testing::PrintToString(SelectedIndexes(list_)) +
                                " selected";
                     });
    };
    // Each click toggles one item of this multiple-selection list.
    ASSERT_TRUE(ClickListItem(list_, 0));
    EXPECT_TRUE(removeIs(true));
    ASSERT_TRUE(ClickListItem(list_, 1));
    EXPECT_TRUE(removeIs(true));
    EXPECT_EQ((std::vector<int>{0, 1}), SelectedIndexes(list_));
    ASSERT_TRUE(ClickListItem(list_, 0));
    EXPECT_TRUE(removeIs(true));
    EXPECT_EQ((std::vector<int>{1}), SelectedIndexes(list_));
    ASSERT_TRUE(ClickListItem(list_, 1));
    EXPECT_TRUE(removeIs(false));
    EXPECT_EQ((std::vector<int>{}), SelectedIndexes(list_));
    ASSERT_TRUE(ClickListItem(list_, 1));
    EXPECT_TRUE(removeIs(true));

    // Cancel ends the program at once, with nothing removed.
    ASSERT_TRUE(Click(cancel_));
    EXPECT_EQ(0u, End());
    EXPECT_TRUE(Record().empty()) << "an uninstaller ran";
    EXPECT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "Alpha").exists);
    EXPECT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "Zeta").exists);
}

TEST_F(ComponentList, EscapeAndTheCloseBoxLeaveTheDialogOpen) {
    RegisterComponents({"Alpha", "Beta"});
    ASSERT_TRUE(StartAndWaitForDialog());
    // The click gives the list the keyboard focus.
    ASSERT_TRUE(Select({"Alpha"}));
    ASSERT_TRUE(PressKey(VK_ESCAPE));
    // The space bar toggles the focused item: once it has, the key before
    // it has been handled too.
    ASSERT_TRUE(PressKey(VK_SPACE));
    EXPECT_TRUE(Await([&] { return SelectedIndexes(list_).empty(); },
                      "the space bar to clear Alpha after Escape",
                      [&] { return ::testing::PrintToString(SelectedIndexes(list_)); }));
    EXPECT_TRUE(Running()) << "Escape ended the program";

    ASSERT_TRUE(ClickCloseBox(dialog_));
    // The close box acts at once when it acts at all.
    Sleep(1000);
    EXPECT_TRUE(Running()) << "the close box ended the program";
    EXPECT_TRUE(IsWindow(dialog_) && IsWindowVisible(dialog_)) << "the dialog is gone";
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Beta"}), ListItems(list_));

    ASSERT_TRUE(Click(cancel_));
    EXPECT_EQ(0u, End());
}

// Value names are compared without case by the registry, so "clientbase"
// and "ClientBase" cannot both be registered: each has its own test.
TEST_F(ComponentList, ALowerCaseClientbaseIsAnOrdinaryComponent) {
    RegisterComponent("clientbase", "C:\\Q\\lower.isu");
    RegisterComponent("Alpha", "C:\\Q\\alpha.isu");
    ASSERT_TRUE(StartAndWaitForDialog());
    EXPECT_EQ((std::vector<std::string>{"Alpha", "clientbase"}), ListItems(list_));
    ASSERT_TRUE(Click(cancel_));
    EXPECT_EQ(0u, End());
}

// A soft hyphen (0xAD) is a character of its own in a value name, though a
// locale's comparison may pass over it.
TEST_F(ComponentList, OnlyClientBaseItselfIsLeftOut) {
    const std::string inside = "Client\xAD"
                               "Base";
    const std::string after = "ClientBase\xAD";
    RegisterComponent("ClientBase", "C:\\Q\\base.isu");
    RegisterComponent(inside, "C:\\Q\\inside.isu");
    RegisterComponent(after, "C:\\Q\\after.isu");
    ASSERT_TRUE(StartAndWaitForDialog());
    std::vector<std::string> items = ListItems(list_);
    std::sort(items.begin(), items.end());
    std::vector<std::string> expected = {inside, after};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, items) << "a name that is not exactly ClientBase was left out";
    ASSERT_TRUE(Click(cancel_));
    EXPECT_EQ(0u, End());
}

TEST_F(ComponentList, OnlyClientBaseGivesAnEmptyListAndCancelStillEnds) {
    RegisterComponent("ClientBase", "C:\\Q\\base.isu");
    ASSERT_TRUE(StartAndWaitForDialog());
    EXPECT_EQ((std::vector<std::string>{}), ListItems(list_));
    EXPECT_FALSE(IsWindowEnabled(remove_));
    ASSERT_TRUE(Click(cancel_));
    EXPECT_EQ(0u, End());
    EXPECT_TRUE(Record().empty());
    EXPECT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "ClientBase").exists);
}

// Pressing Remove.
class Removal : public Interactive {};

TEST_F(Removal, RemovesTheSelectedFromTheBottomUpAndKeepsTheRest) {
    RegisterComponents({"Alpha", "Beta", "Gamma", "ClientBase"});
    ASSERT_TRUE(StartAndWaitForDialog());
    ASSERT_TRUE(Select({"Alpha", "Gamma"}));
    ASSERT_TRUE(Click(remove_));
    ASSERT_TRUE(WaitForRemovalToEnd(1));

    std::vector<Invocation> record = Record();
    EXPECT_EQ((std::vector<std::string>{Uninstaller("C:\\Q\\gamma.isu"),
                                        Uninstaller("C:\\Q\\alpha.isu")}),
              CommandLines(record));
    if (record.size() == 2) {
        EXPECT_LE(record[0].end, record[1].start) << "Alpha's uninstaller overlapped Gamma's";
    }
    EXPECT_EQ((std::vector<std::string>{"Beta"}), ListItems(list_));
    EXPECT_FALSE(IsWindowEnabled(remove_)) << "Remove is enabled with nothing selected";
    EXPECT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "ClientBase").exists);

    // Still running, with no message: the user may go on.
    Sleep(500);
    EXPECT_TRUE(Running()) << "the program ended with components left";
    EXPECT_EQ(1u, TopLevelWindows(ProcessId(), kDialogClass).size())
        << DescribeTopLevelWindows(ProcessId());
    ASSERT_TRUE(Click(cancel_));
    EXPECT_EQ(0u, End());
    EXPECT_EQ(2u, Record().size());
}

TEST_F(Removal, RemovingEverythingRemovesClientBaseLastAfterTheEnvironment) {
    RegisterComponents({"Alpha", "Beta", "ClientBase"});
    SetInstallDirectory("C:\\PROD");
    SetEnvironment("Path", REG_EXPAND_SZ, "C:\\A;C:\\PROD\\BIN;C:\\B");
    SetEnvironment("CLASSPATH", REG_SZ, "C:\\PROD\\java\\lib;C:\\C");
    ASSERT_TRUE(StartAndWaitForDialog());
    ASSERT_TRUE(Select({"Alpha", "Beta"}));
    ASSERT_TRUE(Click(remove_));

    HWND box = NULL;
    ASSERT_TRUE(WaitForMessageBox(kRemovedCaption, &box));
    EXPECT_EQ((std::vector<std::string>{kRemovedText}), StaticTexts(box));
    EXPECT_EQ(dialog_, GetWindow(box, GW_OWNER)) << "the message box is not the dialog's";
    EXPECT_EQ((std::vector<std::string>{}), ListItems(list_));

    std::vector<Invocation> record = Record();
    ASSERT_EQ(
        (std::vector<std::string>{Uninstaller("C:\\Q\\beta.isu"), Uninstaller("C:\\Q\\alpha.isu"),
                                  Uninstaller("C:\\Q\\base.isu")}),
        CommandLines(record));
    for (size_t i = 1; i < record.size(); ++i)
        EXPECT_LE(record[i - 1].end, record[i].start) << "uninstaller " << i << " started early";
    // The environment was cleaned just before ClientBase's uninstaller.
    EXPECT_EQ("2 C:\\A;C:\\PROD\\BIN;C:\\B", record[1].path);
    EXPECT_EQ("2 C:\\A;C:\\B", record[2].path);
    EXPECT_EQ("1 C:\\PROD\\java\\lib;C:\\C", record[1].classPath);
    EXPECT_EQ("1 C:\\C", record[2].classPath);
    EXPECT_EQ("ClientBase", record[2].component);

    // Still there until the user has seen it.
    Sleep(500);
    EXPECT_TRUE(Running()) << "the program ended before the message was dismissed";
    ASSERT_TRUE(Dismiss(box));
    EXPECT_EQ(0u, End());
}

TEST_F(Removal, TheProgramAlwaysEndsAfterTheSuccessMessage) {
    for (int run = 1; run <= 10; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ResetInstallation();
        RegisterComponents({"Alpha", "ClientBase"});
        DeleteFileA(recordPath_.c_str());
        ASSERT_TRUE(StartAndWaitForDialog());
        ASSERT_TRUE(Select({"Alpha"}));
        ASSERT_TRUE(Click(remove_));
        HWND box = NULL;
        ASSERT_TRUE(WaitForMessageBox(kRemovedCaption, &box));
        EXPECT_EQ((std::vector<std::string>{kRemovedText}), StaticTexts(box));
        ASSERT_TRUE(Dismiss(box));
        ASSERT_EQ(0u, End());
        EXPECT_EQ(2u, Record().size());
    }
}

TEST_F(Removal, TheDialogIgnoresTheUserWhileAnUninstallerRuns) {
    RegisterComponents({"Alpha", "Beta", "ClientBase"});
    SetEnvironmentVariableA("QVTEST_SLEEP_MS", "3000");
    ASSERT_TRUE(StartAndWaitForDialog());
    ASSERT_TRUE(Select({"Alpha"}));
    ASSERT_TRUE(Click(remove_));

    HWND progress = NULL;
    ASSERT_TRUE(WaitForWindow(ProcessId(), kDialogClass, nullptr, &progress,
                              [](HWND window) { return GetDlgItem(window, kProgressName); }));
    // The box shows up with its template's text, then gets the name.
    HWND name = GetDlgItem(progress, kProgressName);
    EXPECT_TRUE(Await([&] { return WindowText(name) == "Alpha"; }, "the progress box to name Alpha",
                      [&] { return "it shows \"" + WindowText(name) + "\""; }, 2000));
    EXPECT_NE(WS_CAPTION, GetWindowLongA(progress, GWL_STYLE) & WS_CAPTION)
        << "the progress box has a caption";
    EXPECT_EQ(dialog_, GetWindow(progress, GW_OWNER));
    DWORD_PTR result = 0;
    EXPECT_NE(0, SendMessageTimeoutA(progress, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result))
        << "the progress box did not answer within a second";

    EXPECT_FALSE(IsWindowEnabled(list_));
    EXPECT_FALSE(IsWindowEnabled(cancel_));
    EXPECT_FALSE(IsWindowEnabled(remove_));
    ASSERT_TRUE(Click(cancel_));
    ASSERT_TRUE(ClickListItem(list_, 1));
    Sleep(500);
    EXPECT_TRUE(Running()) << "a click on the disabled Cancel ended the program";
    EXPECT_EQ((std::vector<int>{0}), SelectedIndexes(list_))
        << "a click on the disabled list changed the selection";
    EXPECT_NE(0, SendMessageTimeoutA(progress, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result))
        << "the progress box did not answer within a second";
    // The box still there shows that the checks above ran while the
    // uninstaller did.
    EXPECT_TRUE(IsWindow(progress)) << "the progress box closed before the checks were done";

    ASSERT_TRUE(WaitForRemovalToEnd(1));
    EXPECT_FALSE(IsWindow(progress)) << "the progress box outlived its uninstaller";
    EXPECT_EQ((std::vector<std::string>{"Beta"}), ListItems(list_));
    EXPECT_EQ(1u, Record().size());
    ASSERT_TRUE(Click(cancel_));
    EXPECT_EQ(0u, End());
}

TEST_F(Removal, AMissingUninstallerIsReportedAndTheComponentLeavesTheList) {
    RegisterComponents({"Alpha", "Beta", "ClientBase"});
    RemoveUninstaller();
    ASSERT_TRUE(StartAndWaitForDialog());
    ASSERT_TRUE(Select({"Alpha"}));
    ASSERT_TRUE(Click(remove_));

    HWND box = NULL;
    ASSERT_TRUE(WaitForMessageBox(kStartFailedCaption, &box));
    EXPECT_EQ((std::vector<std::string>{kStartFailedText}), StaticTexts(box));
    // Compared on the screen, once the box has been drawn.
    EXPECT_TRUE(WaitUntil(
        [&] { return bool(ShowsSystemIcon(box, IDI_ERROR, "IDI_ERROR")); }, "the error icon",
        [&] { return ShowsSystemIcon(box, IDI_ERROR, "IDI_ERROR").message(); }, 3000));
    EXPECT_FALSE(ShowsSystemIcon(box, IDI_WARNING, "IDI_WARNING"));
    ASSERT_TRUE(Dismiss(box));
    ASSERT_TRUE(WaitForRemovalToEnd(1));
    EXPECT_EQ((std::vector<std::string>{"Beta"}), ListItems(list_));
    // Nothing removed it from the registry.
    EXPECT_TRUE(GetValue(HKEY_LOCAL_MACHINE, kComponentsKey, "Alpha").exists);
    EXPECT_TRUE(Running()) << "the program ended with Beta left";
    ASSERT_TRUE(Click(cancel_));
    EXPECT_EQ(0u, End());
}

// Two real clicks in quick succession, the second one possibly before the
// removal has disabled Remove.
TEST_F(Removal, ADoubleClickOnRemoveRunsEachUninstallerOnce) {
    RegisterComponents({"Alpha", "Beta", "Gamma", "ClientBase"});
    ASSERT_TRUE(StartAndWaitForDialog());
    ASSERT_TRUE(Select({"Alpha", "Gamma"}));
    ASSERT_TRUE(DoubleClick(remove_));
    ASSERT_TRUE(WaitForRemovalToEnd(1));
    // Time for a second removal, had one started, to show itself.
    Sleep(1000);
    EXPECT_EQ((std::vector<std::string>{Uninstaller("C:\\Q\\gamma.isu"),
                                        Uninstaller("C:\\Q\\alpha.isu")}),
              CommandLines(Record()));
    EXPECT_EQ((std::vector<std::string>{"Beta"}), ListItems(list_));
    ASSERT_TRUE(Click(cancel_));
    EXPECT_EQ(0u, End());
}

TEST_F(Removal, ADoubleClickOnRemoveWithEverythingSelectedRemovesClientBaseOnce) {
    RegisterComponents({"Alpha", "Beta", "ClientBase"});
    ASSERT_TRUE(StartAndWaitForDialog());
    ASSERT_TRUE(Select({"Alpha", "Beta"}));
    ASSERT_TRUE(DoubleClick(remove_));
    HWND box = NULL;
    ASSERT_TRUE(WaitForMessageBox(kRemovedCaption, &box));
    Sleep(1000);
    EXPECT_EQ(1u, TopLevelWindows(ProcessId(), kDialogClass, kRemovedCaption).size())
        << DescribeTopLevelWindows(ProcessId());
    EXPECT_EQ(
        (std::vector<std::string>{Uninstaller("C:\\Q\\beta.isu"), Uninstaller("C:\\Q\\alpha.isu"),
                                  Uninstaller("C:\\Q\\base.isu")}),
        CommandLines(Record()));
    ASSERT_TRUE(Dismiss(box));
    EXPECT_EQ(0u, End());
}

} // namespace

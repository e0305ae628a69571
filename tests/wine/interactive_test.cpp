// The real qvuninst.exe started without a tail, driven through its windows by
// the messages their controls send, with the stub uninstaller behind it.
#include "harness.h"
#include "version.h"

#include <regex>

namespace {

const int kList = 1000, kCancel = 1003, kRemove = 1004, kProgressName = 1008;
const int kMessageText = 0xFFFF; // the text of a message box

class Interactive : public ::testing::Test {
  protected:
    void TearDown() override {
        if (program_.hProcess != NULL)
            TerminateProcess(program_.hProcess, 1), FinishProgram(program_);
        UnhookWindowsHookEx(hook_);
    }

    // Starts the program on this installation and waits for its dialog, under
    // the splash window it shows. era_check.dll's hook, set on the program's
    // thread before that runs, notes the program's windows to this thread's
    // queue and posts the splash window a stray timer message (or another).
    bool Start(const char* windows, const std::vector<Component>& installed,
               bool uninstaller = true, UINT splashMessage = WM_TIMER) {
        PrepareProgram(uninstaller);
        Install(installed);
        ReportWindows(windows);
        SetEnvironmentVariableA("QVTEST_THREAD", std::to_string(GetCurrentThreadId()).c_str());
        SetEnvironmentVariableA("QVTEST_SPLASH_MESSAGE", std::to_string(splashMessage).c_str());
        program_ = StartProgram("", CREATE_SUSPENDED);
        HMODULE dll = LoadLibraryExA((kProgramDir + "era_check.dll").c_str(), NULL,
                                     DONT_RESOLVE_DLL_REFERENCES);
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, (HOOKPROC)(void*)GetProcAddress(dll, "OnCreate"),
                                  dll, program_.dwThreadId);
        ResumeThread(program_.hThread);
        if (splashMessage == WM_TIMER)
            dialog_ = FindWindowOf(program_.dwProcessId, "#32770", "Select Components");
        list_ = GetDlgItem(dialog_, kList);
        return hook_ &&
               (splashMessage != WM_TIMER || IsWindowVisible(GetWindow(dialog_, GW_OWNER)));
    }

    // What clicks on the controls tell the dialog, queued behind one another.
    void Press(std::initializer_list<int> controls) {
        for (int control : controls)
            PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog_, control)));
    }

    // What clicks on list items do, with the list's notifications.
    void Select(std::initializer_list<int> indexes, bool selected = true) {
        for (int index : indexes)
            SendMessageA(list_, LB_SETSEL, selected, index),
                SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(kList, LBN_SELCHANGE), (LPARAM)list_);
    }

    bool Enabled(int control) {
        return IsWindowEnabled(GetDlgItem(dialog_, control));
    }

    // Whether the dialog has handled the messages posted to it before this marker.
    bool HandledUpTo(LPARAM marker) {
        PostMessageA(list_, LB_SETITEMDATA, 0, marker);
        return WaitFor([&] { return SendMessageA(list_, LB_GETITEMDATA, 0, 0) == marker; });
    }

    HWND Box(const char* title) {
        return FindWindowOf(program_.dwProcessId, "#32770", title, 30000);
    }

    PROCESS_INFORMATION program_ = {};
    HWND dialog_ = NULL, list_ = NULL;
    HHOOK hook_ = NULL;
};

// Registered in this order, which is also the registry's index order: the
// 256-character name ends the list.
TEST_F(Interactive, TheDialogOpensOnceHalfASecondAfterTheStartListingAllButExactlyClientBase) {
    const std::string y255(255, 'Y'), y256(256, 'Y');
    MSG message; // the program's notes come through this thread's queue, none left from before
    while (PeekMessageA(&message, NULL, WM_APP, WM_APP, PM_REMOVE))
        continue;
    ASSERT_TRUE(Start("win95", {kAlpha, kBase, {"Client\255Base"}, {y255}, {y256}, {"Zeta"}}));
    Sleep(1200);                          // two ticks of a timer left running
    SendMessageA(dialog_, WM_NULL, 0, 0); // what the program did so far is noted
    std::vector<MSG> notes;               // by the program's clock: the splash window, the dialogs
    while (PeekMessageA(&message, NULL, WM_APP, WM_APP, PM_REMOVE))
        notes.push_back(message);
    ASSERT_EQ(2u, notes.size()) << "not one splash window, then one dialog";
    EXPECT_EQ(1 + 2, notes[1].lParam)
        << "timer messages before it: not the stray one, then the first";
    EXPECT_GE(notes[1].wParam - notes[0].wParam, 500u - 16) << "the dialog opened too soon";
    EXPECT_LT(notes[1].wParam - notes[0].wParam, Patience(1000)) << "the dialog opened too late";

    EXPECT_EQ((std::vector<std::string>{"Alpha", "Client\255Base", y255}), ListItems(list_));
    EXPECT_FALSE(Enabled(kRemove)) << "Remove is enabled with nothing selected";
    RECT splash; // the bitmap, two borders across, a caption and three borders down
    GetWindowRect(GetWindow(dialog_, GW_OWNER), &splash);
    // Another program's quit message, whatever it carries, ends it with 0.
    PostThreadMessageA(program_.dwThreadId, WM_QUIT, 7, 0);
    EXPECT_EQ(0u, FinishProgram(program_));

    // What Vista and later read before they start it, in the form Windows XP
    // SP2 takes (trustInfo declaring one namespace of its own), and what
    // Explorer's Properties show: the strings, the fixed part's file and
    // product versions (their words in memory order) and the language.
    HMODULE program = LoadLibraryExA("qvuninst.exe", NULL, LOAD_LIBRARY_AS_DATAFILE);
    auto* bitmap = static_cast<BITMAPINFOHEADER*>(LockResource(
        LoadResource(program, FindResourceA(program, MAKEINTRESOURCEA(104), RT_BITMAP))));
    int border = GetSystemMetrics(SM_CYBORDER), caption = GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(std::make_pair(bitmap->biWidth + 2 * border, bitmap->biHeight + 3 * border + caption),
              std::make_pair(splash.right - splash.left, splash.bottom - splash.top));
    HRSRC manifest = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    std::string xml(static_cast<const char*>(LockResource(LoadResource(program, manifest))),
                    SizeofResource(program, manifest));
    EXPECT_TRUE(std::regex_search(
        xml, std::regex(R"(<trustInfo xmlns="[^"]*">[\s\S]*level="requireAdministrator")")))
        << xml;
    char info[4096] = "", *text;
    UINT size;
    GetFileVersionInfoA((kProgramDir + std::string("qvuninst.exe")).c_str(), 0, sizeof info, info);
    std::string seen;
    for (std::string name : {"CompanyName", "FileDescription", "FileVersion", "InternalName",
                             "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"})
        seen += (VerQueryValueA(info, ("\\StringFileInfo\\040904E4\\" + name).c_str(),
                                (void**)&text, &size)
                     ? text
                     : "(none)") +
                std::string("|");
    EXPECT_EQ("Tovrik|Quorvane Client Uninstall|" QV_VERSION_TEXT "|qvuninst|Copyright (C) Tovrik|"
              "qvuninst.exe|Quorvane|" QV_VERSION_TEXT "|",
              seen);
    const WORD v[] = {QV_VERSION_FIXED}, twice[] = {v[1], v[0], v[3], v[2], v[1], v[0], v[3], v[2]};
    DWORD *fixed = NULL, *language = NULL;
    VerQueryValueA(info, "\\", (void**)&fixed, &size);
    VerQueryValueA(info, "\\VarFileInfo\\Translation", (void**)&language, &size);
    EXPECT_TRUE(fixed && language && memcmp(&fixed[2], twice, sizeof twice) == 0 &&
                *language == MAKELONG(0x409, 1252)); // US English, code page 1252
}

TEST_F(Interactive, ARemovalGoesBottomUpUntouchedByCloseCancelOrStrayMessagesThenOnToClientBase) {
    SetEnvironment("2 C:\\A;C:\\PROD\\BIN;C:\\B", "1 C:\\PROD\\java\\lib;C:\\C", "none");
    // Each uninstaller runs until the test lets it go.
    HANDLE go = CreateSemaphoreA(NULL, 0, 10, "QvTestGo");
    ASSERT_TRUE(Start("winxp", {kAlpha, kBeta, kGamma, kBase}));
    Select({0, 2});
    Press({kRemove, kRemove, kCancel});
    HWND progress = Box(""), splash = GetWindow(dialog_, GW_OWNER);
    // As other programs may: Beta in and Alpha out, a close and the number of "removal done".
    SendMessageA(list_, LB_SETSEL, TRUE, 1), SendMessageA(list_, LB_SETSEL, FALSE, 0);
    EXPECT_FALSE(Enabled(kList) || Enabled(kCancel) || Enabled(kRemove));
    PostMessageA(splash, WM_CLOSE, 0, 0), SendMessageA(dialog_, DM_SETDEFID, kRemove, 0);
    EXPECT_EQ(FALSE, SendMessageA(splash, WM_QUERYENDSESSION, 0, 0)) << "a shutdown may end it";
    EXPECT_TRUE(SendMessageTimeoutA(progress, WM_NULL, 0, 0, SMTO_NORMAL, Patience(10000), NULL))
        << "the progress box does not answer while its uninstaller runs";
    ReleaseSemaphore(go, 1, NULL);
    HWND next = NULL;
    EXPECT_TRUE(WaitFor([&] { return (next = Box("")) != progress; }));
    EXPECT_EQ("Alpha", TextOf(GetDlgItem(next, kProgressName)));
    ReleaseSemaphore(go, 1, NULL);

    ASSERT_TRUE(WaitFor([&] { return ListItems(list_).size() == 1 && Enabled(kCancel); }));
    EXPECT_EQ(std::vector<std::string>{"Beta"}, ListItems(list_));
    EXPECT_FALSE(Enabled(kRemove)) << "Remove is enabled before the user changed the selection";
    std::vector<Call> calls = ExpectCalls({kGamma.file, kAlpha.file}, 1);
    for (Call call : calls) // the process of an ended one goes with the last handle to it
        EXPECT_TRUE(WaitFor([&] {
            return !CloseHandle(OpenProcess(SYNCHRONIZE, FALSE, stoul(call["pid"])));
        })) << "a handle of an ended uninstaller stays open";

    // From here on Windows refuses the message-aware wait: the plain waits
    // still let one uninstaller go at a time, and the box still answers.
    HANDLE noMessageWait = CreateEventA(NULL, TRUE, FALSE, "QvTestNoMessageWait");
    Select({0});
    Press({kRemove});
    EXPECT_TRUE(SendMessageTimeoutA(Box(""), WM_NULL, 0, 0, SMTO_NORMAL, Patience(10000), NULL));
    // Beta's uninstaller waits; another program's quit message ends the dialog.
    PostThreadMessageA(program_.dwThreadId, WM_QUIT, 7, 0);
    ReleaseSemaphore(go, 2, NULL);
    HWND done = Box("Quorvane");
    EXPECT_NE(FALSE, SendMessageA(splash, WM_QUERYENDSESSION, 0, 0)) << "refused when all is done";
    EXPECT_EQ("The Quorvane Clients have been successfully removed",
              TextOf(GetDlgItem(done, kMessageText)));
    calls = ExpectCalls({kGamma.file, kAlpha.file, kBeta.file, kBase.file}, 1);
    EXPECT_EQ("Path 2 C:\\A;C:\\B\nCLASSPATH 1 C:\\C\nautoexec none",
              calls.empty() ? "" : calls.back()["seen"]);
    PostMessageA(done, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0u, FinishProgram(program_));
    CloseHandle(go), CloseHandle(noMessageWait);
}

TEST_F(Interactive,
       RemoveFollowsTheSelectionOnlyCancelEndsTheDialogAndAFailedStartIsReportedAndLogged) {
    SetEnvironmentVariableA("QVUNINST_LOG", "C:\\qv log.txt");
    // Closed before its dialog opens, the splash window ends the program.
    ASSERT_TRUE(Start("win98", {}, false, WM_CLOSE));
    EXPECT_EQ(0u, FinishProgram(program_));
    // Listed sorted, whatever the registry's order, and a near miss of ClientBase too.
    ASSERT_TRUE(Start("win98", {kGamma, {"clientbase"}, kBeta, kAlpha}, false));
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Beta", "clientbase", "Gamma"}), ListItems(list_));
    const int steps[][3] = {{1, true, true}, {0, true, true}, {1, false, true}, {0, false, false}};
    for (const auto& step : steps) {
        Select({step[0]}, step[1]);
        EXPECT_EQ(step[2], Enabled(kRemove)) << (step[1] ? "selecting " : "clearing ") << step[0];
    }
    // Escape, Enter and the close boxes land before the first of two markers;
    // what they post in turn lands before the second. Only Cancel ends it.
    PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog_, WM_COMMAND, IDOK, 0);
    PostMessageA(dialog_, WM_CLOSE, 0, 0);
    PostMessageA(GetWindow(dialog_, GW_OWNER), WM_CLOSE, 0, 0);
    EXPECT_TRUE(HandledUpTo(1) && HandledUpTo(2)) << "the dialog has gone";
    Select({0, 1});
    Press({kRemove});
    for (int box = 0; box < 2; ++box) {
        HWND failed = Box("Quorvane Client");
        EXPECT_EQ("Call to CreateProcess() failed", TextOf(GetDlgItem(failed, kMessageText)));
        PostMessageA(failed, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(failed); }));
    }
    EXPECT_TRUE(WaitFor([&] { return ListItems(list_).size() == 2 && Enabled(kCancel); }));
    EXPECT_EQ((std::vector<std::string>{"clientbase", "Gamma"}), ListItems(list_));
    Press({kCancel});
    EXPECT_EQ(0u, FinishProgram(program_));
    // Lines of this machine's zone (cmake/wine-run), from the start line of the run
    // closed early to the end line of this one.
    std::string log = FileBytes("C:\\qv log.txt"),
                run = R"(\d{4}(-\d\d){2} \d\d(:\d\d){2} -0930 \S+ qvuninst\[\d+\]: )";
    EXPECT_TRUE(std::regex_match(
        log, std::regex(run + "start: interactive.*\r\n(" + run + ".*\r\n)*" + run +
                        "end: 2 components: 0 uninstallers ended with exit code 0, 0 with another "
                        "exit code, 2 not started; exit code 0\r\n")))
        << log;
}

} // namespace

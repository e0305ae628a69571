// Acting as the user in front of another process's windows: finding its
// top-level windows, reading what they show, and real mouse and keyboard
// input at the places where the controls are on the screen.
//
// Every wait polls with a deadline and comes back as an AssertionResult
// whose failure says what was awaited and what was there instead, so that
// ASSERT_TRUE(...) at the call site points at the test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// How long a wait for the program lasts before the test fails.
const DWORD kDeadlineMs = 15000;

// Milliseconds from an arbitrary start, never going back.
unsigned long long NowMs();

// Polls condition every few milliseconds until it holds or timeoutMs have
// passed. The failure names what was awaited and, when given, what seen()
// describes at the end.
::testing::AssertionResult WaitUntil(const std::function<bool()>& condition,
                                     const std::string& awaited,
                                     const std::function<std::string()>& seen = nullptr,
                                     DWORD timeoutMs = kDeadlineMs);

std::string WindowClass(HWND window);
std::string WindowText(HWND window);

// The process's visible top-level windows of the class and with the title
// given (null: any), in z order.
std::vector<HWND> TopLevelWindows(DWORD processId, const char* className = nullptr,
                                  const char* title = nullptr);
// One line per visible top-level window of the process, for failure text.
std::string DescribeTopLevelWindows(DWORD processId);

// Waits for a visible top-level window of the process with that class and
// title (null: any) that also passes accept, when given. Fails at once when
// the process ends meanwhile.
::testing::AssertionResult WaitForWindow(DWORD processId, const char* className, const char* title,
                                         HWND* found,
                                         const std::function<bool(HWND)>& accept = nullptr,
                                         DWORD timeoutMs = kDeadlineMs);

// What a window shows.
// Each reads {"<the list does not answer>"} or {-1} when the list's
// thread does not answer within a few seconds.
std::vector<std::string> ListItems(HWND list);
std::vector<int> SelectedIndexes(HWND list);
// The texts of the window's static controls that have one, in z order.
std::vector<std::string> StaticTexts(HWND window);
// The first static control of the window showing an icon; null when none.
HWND IconControl(HWND window);

// Real input, through the system's input queue: SetCursorPos, then
// SendInput's button or key events. Under Wine, on Xvfb without a window
// manager, these reach the program's windows as a user's would; nothing
// falls back to posted messages. A click goes to a point of
// the window that no other top-level window covers, its centre when it can;
// it fails when there is none. Single clicks on the same spot are spaced
// out so that the system never makes a double click of them.
::testing::AssertionResult Click(HWND window);
::testing::AssertionResult DoubleClick(HWND window);
::testing::AssertionResult ClickListItem(HWND list, int index);
// The close box in the caption of a top-level window.
::testing::AssertionResult ClickCloseBox(HWND window);
::testing::AssertionResult PressKey(WORD virtualKey);

// Whether the window shows the system icon (IDI_ERROR and the like) at the
// top left of its client area, compared pixel by pixel with the icon as
// this process draws it on the same background.
::testing::AssertionResult ShowsSystemIcon(HWND window, LPCSTR icon, const char* iconName);

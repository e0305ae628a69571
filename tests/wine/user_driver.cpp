#include "user_driver.h"

#include <stdio.h>
#include <stdlib.h>

#include <sstream>

namespace {

// How long a question to another process's window may take: a window that
// does not answer must not stop the test.
const UINT kAnswerMs = 5000;

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &answer))
        return false;
    *result = static_cast<LRESULT>(answer);
    return true;
}

std::string Handle(HWND window) {
    char text[32];
    snprintf(text, sizeof text, "%p", static_cast<void*>(window));
    return text;
}

HWND Root(HWND window) {
    return GetAncestor(window, GA_ROOT);
}

// Whether a click at point reaches window's top-level window, not one lying
// over it.
bool Reaches(POINT point, HWND window) {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    if (point.x < 0 || point.y < 0 || point.x >= width || point.y >= height)
        return false;
    HWND hit = WindowFromPoint(point);
    return hit != NULL && Root(hit) == Root(window);
}

// A point of area (screen coordinates) that reaches window: its centre when
// that is not covered, otherwise the first free one of a grid over it.
bool FreePoint(const RECT& area, HWND window, POINT* point) {
    POINT centre = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    if (Reaches(centre, window)) {
        *point = centre;
        return true;
    }
    for (LONG y = area.top + 2; y < area.bottom - 2; y += 3) {
        for (LONG x = area.left + 2; x < area.right - 2; x += 3) {
            POINT candidate = {x, y};
            if (Reaches(candidate, window)) {
                *point = candidate;
                return true;
            }
        }
    }
    return false;
}

std::string Describe(const RECT& rect) {
    std::ostringstream text;
    text << "(" << rect.left << "," << rect.top << ")-(" << rect.right << "," << rect.bottom << ")";
    return text.str();
}

std::string DescribeWindow(HWND window) {
    std::ostringstream text;
    text << WindowClass(window) << " \"" << WindowText(window) << "\" " << Handle(window);
    return text.str();
}

// Where and when the last click went, so that the next one on the same spot
// does not become a double click.
POINT g_lastClick = {-1000, -1000};
unsigned long long g_lastClickMs;

void WaitOutDoubleClick(POINT point) {
    if (abs(point.x - g_lastClick.x) > GetSystemMetrics(SM_CXDOUBLECLK) ||
        abs(point.y - g_lastClick.y) > GetSystemMetrics(SM_CYDOUBLECLK))
        return;
    unsigned long long quiet = g_lastClickMs + GetDoubleClickTime() + 100;
    unsigned long long now = NowMs();
    if (now < quiet)
        Sleep(static_cast<DWORD>(quiet - now));
}

::testing::AssertionResult ClickAt(POINT point, HWND window, int clicks) {
    if (clicks == 1)
        WaitOutDoubleClick(point);
    // The click goes where the system has the cursor when it takes the
    // button events. Under Wine that position can still move back to the
    // previous one after SetCursorPos, when the program's thread handles the
    // X server's late report of the previous move: the cursor must have
    // stayed on the point for a few polls in a row first.
    POINT at = {};
    int steady = 0;
    unsigned long long deadline = NowMs() + 3000, nextSet = 0;
    while (steady < 4) {
        if (NowMs() >= deadline)
            return ::testing::AssertionFailure()
                   << "the cursor stays at (" << at.x << "," << at.y << ") instead of (" << point.x
                   << "," << point.y << ")";
        if (steady == 0 && NowMs() >= nextSet) {
            if (!SetCursorPos(point.x, point.y))
                return ::testing::AssertionFailure()
                       << "SetCursorPos(" << point.x << ", " << point.y << ") failed, error "
                       << GetLastError();
            nextSet = NowMs() + 200;
        }
        Sleep(10);
        GetCursorPos(&at);
        steady = at.x == point.x && at.y == point.y ? steady + 1 : 0;
    }
    INPUT inputs[4] = {};
    UINT count = 0;
    for (int i = 0; i < clicks && count + 2 <= 4; ++i) {
        inputs[count].type = INPUT_MOUSE;
        inputs[count++].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[count].type = INPUT_MOUSE;
        inputs[count++].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    }
    UINT sent = SendInput(count, inputs, sizeof(INPUT));
    g_lastClick = point;
    g_lastClickMs = NowMs();
    if (sent != count)
        return ::testing::AssertionFailure() << "SendInput took " << sent << " of " << count
                                             << " mouse events, error " << GetLastError();
    return ::testing::AssertionSuccess() << DescribeWindow(window) << " clicked";
}

::testing::AssertionResult ClickWindow(HWND window, int clicks) {
    RECT rect;
    if (!IsWindow(window))
        return ::testing::AssertionFailure() << "no window " << Handle(window) << " to click";
    if (!IsWindowVisible(window) || !GetWindowRect(window, &rect))
        return ::testing::AssertionFailure() << DescribeWindow(window) << " is not on screen";
    POINT point;
    if (!FreePoint(rect, window, &point))
        return ::testing::AssertionFailure() << DescribeWindow(window) << " at " << Describe(rect)
                                             << " is covered; top-level windows:\n"
                                             << DescribeTopLevelWindows([&] {
                                                    DWORD id = 0;
                                                    GetWindowThreadProcessId(window, &id);
                                                    return id;
                                                }());
    return ClickAt(point, window, clicks);
}

struct Search {
    DWORD processId;
    const char* className;
    const char* title;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM lParam) {
    Search* search = reinterpret_cast<Search*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId)
        return TRUE;
    if (search->visibleOnly && !IsWindowVisible(window))
        return TRUE;
    if (search->className != nullptr && WindowClass(window) != search->className)
        return TRUE;
    if (search->title != nullptr && WindowText(window) != search->title)
        return TRUE;
    search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

bool IsStatic(HWND window) {
    return lstrcmpiA(WindowClass(window).c_str(), "Static") == 0;
}

// The screen's pixels inside rect, as 0x00RRGGBB, row by row from the top.
std::vector<DWORD> Pixels(HDC source, int x, int y, int width, int height) {
    std::vector<DWORD> pixels;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    if (memory == NULL || bitmap == NULL) {
        if (bitmap != NULL)
            DeleteObject(bitmap);
        if (memory != NULL)
            DeleteDC(memory);
        return pixels;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.resize(static_cast<size_t>(width) * height);
    if (GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) != height)
        pixels.clear();
    for (DWORD& pixel : pixels)
        pixel &= 0xFFFFFF;
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

std::vector<DWORD> ScreenPixels(const RECT& rect) {
    HDC screen = GetDC(NULL);
    std::vector<DWORD> pixels =
        Pixels(screen, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    ReleaseDC(NULL, screen);
    return pixels;
}

// The icon as this process draws it, width by height, on background.
std::vector<DWORD> DrawnIcon(LPCSTR icon, int width, int height, DWORD background) {
    std::vector<DWORD> pixels;
    HICON handle = LoadIconA(NULL, icon);
    if (handle == NULL)
        return pixels;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    // The captured colour is 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
    HBRUSH brush = CreateSolidBrush(
        RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, handle, width, height, 0, NULL, DI_NORMAL);
    pixels = Pixels(memory, 0, 0, width, height);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return pixels;
}

size_t Differences(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    if (a.size() != b.size())
        return a.size() > b.size() ? a.size() : b.size();
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i];
    return count;
}

} // namespace

unsigned long long NowMs() {
    return GetTickCount64();
}

::testing::AssertionResult WaitUntil(const std::function<bool()>& condition,
                                     const std::string& awaited,
                                     const std::function<std::string()>& seen, DWORD timeoutMs) {
    unsigned long long deadline = NowMs() + timeoutMs;
    for (;;) {
        if (condition())
            return ::testing::AssertionSuccess() << awaited;
        if (NowMs() >= deadline)
            break;
        Sleep(5);
    }
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "waited " << timeoutMs << " ms for " << awaited << " in vain";
    if (seen)
        failure << "; instead: " << seen();
    return failure;
}

std::string WindowClass(HWND window) {
    char name[256];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

std::string WindowText(HWND window) {
    char text[1024];
    int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

std::vector<HWND> TopLevelWindows(DWORD processId, const char* className, const char* title) {
    Search search = {processId, className, title, true, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string DescribeTopLevelWindows(DWORD processId) {
    Search search = {processId, nullptr, nullptr, false, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    std::ostringstream text;
    for (HWND window : search.found) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        text << "  " << DescribeWindow(window) << " at " << Describe(rect)
             << (IsWindowVisible(window) ? "" : " hidden")
             << (IsWindowEnabled(window) ? "" : " disabled") << "\n";
    }
    if (search.found.empty())
        text << "  no window of process " << processId << "\n";
    return text.str();
}

::testing::AssertionResult WaitForWindow(DWORD processId, const char* className, const char* title,
                                         HWND* found, const std::function<bool(HWND)>& accept,
                                         DWORD timeoutMs) {
    *found = NULL;
    std::string awaited = std::string("a window of class ") +
                          (className != nullptr ? className : "(any)") + " titled \"" +
                          (title != nullptr ? title : "(any)") + "\"";
    // A process that has ended shows nothing more: no need to wait on.
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    bool ended = false;
    ::testing::AssertionResult result = WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(processId, className, title)) {
                if (!accept || accept(window)) {
                    *found = window;
                    return true;
                }
            }
            ended = process != NULL && WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
            return ended;
        },
        awaited, [&] { return "the program's windows:\n" + DescribeTopLevelWindows(processId); },
        timeoutMs);
    if (ended) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process, &exitCode);
        result = ::testing::AssertionFailure()
                 << "the program ended, exit code " << exitCode << ", without showing " << awaited;
    }
    if (process != NULL)
        CloseHandle(process);
    return result;
}

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    LRESULT count = 0;
    if (!Ask(list, LB_GETCOUNT, 0, 0, &count) || count < 0)
        return {"<the list does not answer>"};
    for (LRESULT i = 0; i < count; ++i) {
        // Read as wide text: Wine's SendMessageTimeoutA leaves the text of
        // another process's list box wide, with the wide length.
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length) ||
            static_cast<LRESULT>(length) < 0)
            return {"<the list does not answer>"};
        std::wstring wide(length + 1, L'\0');
        if (!SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]),
                                 SMTO_ABORTIFHUNG, kAnswerMs, &length) ||
            static_cast<LRESULT>(length) < 0)
            return {"<the list does not answer>"};
        wide.resize(length);
        std::string text(wide.size() * 2 + 1, '\0');
        int written = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                          &text[0], static_cast<int>(text.size()), NULL, NULL);
        text.resize(written > 0 ? written : 0);
        items.push_back(text);
    }
    return items;
}

std::vector<int> SelectedIndexes(HWND list) {
    std::vector<int> selected;
    LRESULT count = 0;
    if (!Ask(list, LB_GETCOUNT, 0, 0, &count))
        return {-1};
    for (int i = 0; i < count; ++i) {
        LRESULT state = 0;
        if (!Ask(list, LB_GETSEL, i, 0, &state))
            return {-1};
        if (state > 0)
            selected.push_back(i);
    }
    return selected;
}

std::vector<std::string> StaticTexts(HWND window) {
    std::vector<std::string> texts;
    for (HWND child : Children(window)) {
        if (!IsStatic(child))
            continue;
        std::string text = WindowText(child);
        if (!text.empty())
            texts.push_back(text);
    }
    return texts;
}

HWND IconControl(HWND window) {
    for (HWND child : Children(window)) {
        if (IsStatic(child) && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return child;
    }
    return NULL;
}

::testing::AssertionResult Click(HWND window) {
    return ClickWindow(window, 1);
}

::testing::AssertionResult DoubleClick(HWND window) {
    return ClickWindow(window, 2);
}

::testing::AssertionResult ClickListItem(HWND list, int index) {
    RECT item = {};
    LRESULT status = LB_ERR;
    if (!Ask(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item), &status) ||
        status == LB_ERR)
        return ::testing::AssertionFailure() << "the list has no item " << index;
    RECT client = {};
    GetClientRect(list, &client);
    RECT shown = {};
    if (!IntersectRect(&shown, &item, &client))
        return ::testing::AssertionFailure()
               << "item " << index << " at " << Describe(item)
               << " lies outside the list's client area " << Describe(client);
    MapWindowPoints(list, NULL, reinterpret_cast<POINT*>(&shown), 2);
    POINT point;
    if (!FreePoint(shown, list, &point))
        return ::testing::AssertionFailure()
               << "item " << index << " at " << Describe(shown) << " is covered";
    return ClickAt(point, list, 1);
}

::testing::AssertionResult ClickCloseBox(HWND window) {
    TITLEBARINFO bar = {};
    bar.cbSize = sizeof bar;
    if (!GetTitleBarInfo(window, &bar))
        return ::testing::AssertionFailure()
               << "no title bar information for " << DescribeWindow(window);
    // Index 5 of the states is the close button's; the button itself is the
    // last of the caption buttons, at the right end of the title bar.
    const RECT& title = bar.rcTitleBar;
    if ((bar.rgstate[5] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) != 0 ||
        IsRectEmpty(&title))
        return ::testing::AssertionFailure()
               << DescribeWindow(window) << " shows no close box (state " << bar.rgstate[5]
               << ", title bar at " << Describe(title) << ")";
    POINT centre = {title.right - GetSystemMetrics(SM_CXSIZE) / 2, (title.top + title.bottom) / 2};
    if (!Reaches(centre, window))
        return ::testing::AssertionFailure()
               << "the close box of " << DescribeWindow(window) << " is covered";
    return ClickAt(centre, window, 1);
}

::testing::AssertionResult PressKey(WORD virtualKey) {
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = virtualKey;
    inputs[0].ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    UINT sent = SendInput(2, inputs, sizeof(INPUT));
    if (sent != 2)
        return ::testing::AssertionFailure()
               << "SendInput took " << sent << " of 2 key events, error " << GetLastError();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ShowsSystemIcon(HWND window, LPCSTR icon, const char* iconName) {
    HWND control = IconControl(window);
    if (control == NULL)
        return ::testing::AssertionFailure()
               << DescribeWindow(window) << " has no icon control; expected " << iconName;
    RECT rect;
    GetClientRect(control, &rect);
    MapWindowPoints(control, NULL, reinterpret_cast<POINT*>(&rect), 2);
    std::vector<DWORD> shown = ScreenPixels(rect);
    if (shown.empty())
        return ::testing::AssertionFailure() << "cannot read the screen at " << Describe(rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    // The corners of the standard icons are transparent: the top left pixel
    // is the background they are drawn on.
    DWORD background = shown[0];
    size_t differences = Differences(shown, DrawnIcon(icon, width, height, background));
    if (differences == 0)
        return ::testing::AssertionSuccess() << "shows " << iconName;

    struct Known {
        LPCSTR icon;
        const char* name;
    };
    const Known known[] = {{IDI_ERROR, "IDI_ERROR"},
                           {IDI_WARNING, "IDI_WARNING"},
                           {IDI_INFORMATION, "IDI_INFORMATION"},
                           {IDI_QUESTION, "IDI_QUESTION"},
                           {IDI_APPLICATION, "IDI_APPLICATION"}};
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "the icon at " << Describe(rect) << " is not " << iconName << " (" << differences
            << " of " << shown.size() << " pixels differ)";
    for (const Known& other : known) {
        if (Differences(shown, DrawnIcon(other.icon, width, height, background)) == 0)
            failure << "; it is " << other.name;
    }
    return failure;
}

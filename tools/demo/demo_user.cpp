// The scripted user of the headless demo: waits for the running
// qvuninst.exe's selection dialog, selects every component and presses
// Remove (through the messages a click sends), dismisses the success
// message, and saves screenshots of
// the selection, the progress box and the success message as BMP files in
// the directory given:
//   demo_user <screenshot directory>
#include "tests/wine/harness.h"

#include <stdio.h>

namespace {

const DWORD kRemovalDeadlineMs = 120000;

bool Check(bool done, const char* step) {
    if (!done)
        fprintf(stderr, "demo user: %s: gave up\n", step);
    return done;
}

// Writes the whole screen as a 24-bit BMP file.
bool SaveScreenshot(const std::string& path) {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD rowSize = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::string pixels(static_cast<size_t>(rowSize) * height, '\0');
    bool read = GetDIBits(memory, bitmap, 0, height, &pixels[0],
                          reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);

    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* file = fopen(path.c_str(), "wb");
    if (!read || file == NULL) {
        if (file != NULL)
            fclose(file);
        return false;
    }
    fwrite(&header, sizeof header, 1, file);
    fwrite(&info, sizeof info, 1, file);
    fwrite(pixels.data(), 1, pixels.size(), file);
    return fclose(file) == 0;
}

bool Shot(const std::string& dir, const char* name) {
    std::string path = dir + "\\" + name;
    bool saved = SaveScreenshot(path);
    printf("  screenshot: %s\n", saved ? name : "(failed)");
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: demo_user <screenshot directory>\n");
        return 2;
    }
    std::string dir = argv[1];
    CreateDirectoryA(dir.c_str(), NULL);

    HWND splash = NULL;
    if (!Check(WaitFor([&] { return (splash = FindWindowA("uninstal", NULL)) != NULL; }),
               "waiting for the splash window"))
        return 1;
    DWORD processId = 0;
    GetWindowThreadProcessId(splash, &processId);

    HWND dialog = FindWindowOf(processId, "#32770", "Select Components");
    if (!Check(dialog != NULL, "waiting for the selection dialog"))
        return 1;
    HWND list = GetDlgItem(dialog, 1000);
    int count = static_cast<int>(ListItems(list).size());
    printf("  the user selects all %d listed components and presses Remove\n", count);
    SendMessageA(list, LB_SETSEL, TRUE, -1);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1000, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    Sleep(300); // let the selection be painted
    Shot(dir, "1-selection.bmp");
    PostMessageA(GetDlgItem(dialog, 1004), BM_CLICK, 0, 0);

    HWND progress = FindWindowOf(processId, "#32770", "");
    if (Check(progress != NULL, "waiting for the progress box")) {
        // Painted now, however slowly the machine runs.
        RedrawWindow(progress, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Sleep(200);
        Shot(dir, "2-progress.bmp");
    }

    HWND done = FindWindowOf(processId, "#32770", "Quorvane", kRemovalDeadlineMs);
    if (!Check(done != NULL, "waiting for the end of the removal"))
        return 1;
    Sleep(200);
    Shot(dir, "3-success.bmp");
    printf("  the user reads \"%s\" and presses OK\n", TextOf(GetDlgItem(done, 0xFFFF)).c_str());
    PostMessageA(GetDlgItem(done, IDOK), BM_CLICK, 0, 0);
    return 0;
}

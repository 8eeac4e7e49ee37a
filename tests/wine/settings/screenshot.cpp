// Not a check: shows the settings dialog with Ctrl+Shift+F5 as the toggle
// shortcut and saves what the screen shows of it as a BMP, for the
// documentation. Disabled by default; scripts/screenshot-settings runs it.
#include <stdio.h>
#include <stdlib.h>

#include "host/menus.h"
#include "tests/wine/support/modal_driver.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

bool save_window_image(HWND window, const char* path)
{
    RECT area;
    GetWindowRect(window, &area);
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as a BMP file stores it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                      &pixels, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const DWORD image_size = DWORD((width * 3 + 3) & ~3) * DWORD(height);
    BITMAPFILEHEADER file_header = {};
    file_header.bfType = 0x4D42;
    file_header.bfOffBits = sizeof file_header + sizeof header;
    file_header.bfSize = file_header.bfOffBits + image_size;
    bool written = false;
    if (FILE* file = fopen(path, "wb")) {
        written = fwrite(&file_header, sizeof file_header, 1, file) == 1 &&
                  fwrite(&header, sizeof header, 1, file) == 1 && fwrite(pixels, image_size, 1, file) == 1;
        fclose(file);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

class SettingsScreenshotTest : public PluginTest {};

TEST_F(SettingsScreenshotTest, DISABLED_SettingsWithCtrlShiftF5ForToggle)
{
    start_plugin();
    ShowWindow(panel(), SW_HIDE);
    set_setting("auto_show", 1);
    set_setting("show_toggle_bookmark", 1);
    set_setting("hotkey_toggle__key", 116);
    set_setting("hotkey_toggle__shift", 1);
    set_setting("hotkey_toggle__ctrl", 1);
    const char* path = getenv("KORVANTIS_SCREENSHOT");
    bool saved = false;
    std::vector<ModalStep> steps(30, [](HWND) {});  // about a second to be drawn
    steps.push_back([&](HWND dialog) {
        saved = save_window_image(dialog, path && *path ? path : "settings.bmp");
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    const ModalRun run = drive_modal([this] { action(ORIGIN_MAIN_MENU, 2); },
                                     [this] { return find_owned_dialog(main_window, "Settings"); }, steps);
    EXPECT_NE(run.window, nullptr);
    EXPECT_TRUE(saved);
}

}  // namespace

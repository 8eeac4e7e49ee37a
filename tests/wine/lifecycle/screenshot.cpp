// Not a check: draws the panel with three bookmarks and saves what the screen
// shows around it as a BMP, for the documentation. Disabled by default;
// scripts/screenshot-panel runs it and turns the picture into a PNG.
#include <stdio.h>
#include <stdlib.h>

#include "resources/resource.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

void pump_messages_for(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(20);
    }
}

bool save_screen_area(const RECT& area, const char* path)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const DWORD row = DWORD((width * 3 + 3) & ~3);
    BITMAPFILEHEADER file_header = {};
    file_header.bfType = 0x4D42;
    file_header.bfOffBits = sizeof file_header + sizeof info.bmiHeader;
    file_header.bfSize = file_header.bfOffBits + row * DWORD(height);
    bool written = false;
    if (FILE* file = fopen(path, "wb")) {
        written = fwrite(&file_header, sizeof file_header, 1, file) == 1 &&
                  fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
                  fwrite(pixels, row * DWORD(height), 1, file) == 1;
        fclose(file);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

class ScreenshotTest : public PluginTest {};

TEST_F(ScreenshotTest, DISABLED_PanelWithThreeBookmarks)
{
    start_plugin();
    ASSERT_NE(panel(), nullptr);
    RECT placed;
    GetWindowRect(panel(), &placed);
    MoveWindow(panel(), 24, 24, placed.right - placed.left, placed.bottom - placed.top, TRUE);
    for (uint32_t address : {0x401000u, 0x401010u, 0x401020u}) {
        select_line(address);
        press_panel_button(IDC_PANEL_TOGGLE);
    }
    ASSERT_EQ(panel_title(), "Korvan... (03)");
    SetForegroundWindow(panel());
    pump_messages_for(1500);
    RECT area;
    GetWindowRect(panel(), &area);
    InflateRect(&area, 8, 8);
    if (area.left < 0) area.left = 0;
    if (area.top < 0) area.top = 0;
    const char* path = getenv("KORVANTIS_SCREENSHOT");
    ASSERT_TRUE(save_screen_area(area, path && *path ? path : "panel.bmp"));
}

}  // namespace

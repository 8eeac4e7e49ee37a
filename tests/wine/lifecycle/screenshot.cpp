// Not a check: draws the panel with three bookmarks and saves what the screen
// shows around it as a BMP, for the documentation. Disabled by default;
// scripts/screenshot-panel runs it and turns the picture into a PNG.
#include <stdlib.h>

#include "resources/resource.h"
#include "tests/wine/support/plugin_fixture.h"
#include "tests/wine/support/screen_capture.h"

namespace {

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

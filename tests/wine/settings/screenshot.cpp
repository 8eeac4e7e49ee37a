// Not a check: shows the settings dialog with Ctrl+Shift+F5 as the toggle
// shortcut and saves what the screen shows of it as a BMP, for the
// documentation. Disabled by default; scripts/screenshot-settings runs it.
#include <stdlib.h>

#include "host/menus.h"
#include "tests/wine/support/modal_driver.h"
#include "tests/wine/support/plugin_fixture.h"
#include "tests/wine/support/screen_capture.h"

namespace {

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

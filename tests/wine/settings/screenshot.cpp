// Not a check: shows the settings dialog as the user guide recommends it (the
// three options ticked; Ctrl+D, Ctrl+Shift+comma, Ctrl+Shift+period and
// Ctrl+Shift+D for toggle, backward, forward and the Bookmarks window, hotkey
// words 0x0244, 0x03BC, 0x03BE and 0x0344) and saves
// what the screen shows of it as a BMP, for the documentation. Disabled by
// default; scripts/screenshot-settings runs it.
#include <stdlib.h>

#include <string>

#include "host/menus.h"
#include "tests/wine/support/modal_driver.h"
#include "tests/wine/support/plugin_fixture.h"
#include "tests/wine/support/screen_capture.h"

namespace {

class SettingsScreenshotTest : public PluginTest {};

TEST_F(SettingsScreenshotTest, DISABLED_SettingsWithTheGuidesShortcuts)
{
    start_plugin();
    ShowWindow(panel(), SW_HIDE);
    set_setting("auto_show", 1);
    set_setting("load_old_bookmarks", 1);
    set_setting("show_toggle_bookmark", 1);
    const struct {
        const char* binding;
        int key;
        int shift;
    } shortcuts[] = {{"toggle", 'D', 0}, {"previous", 0xBC, 1}, {"next", 0xBE, 1}, {"list", 'D', 1}};
    for (const auto& shortcut : shortcuts) {
        const std::string prefix = std::string("hotkey_") + shortcut.binding + "__";
        set_setting((prefix + "key").c_str(), shortcut.key);
        set_setting((prefix + "shift").c_str(), shortcut.shift);
        set_setting((prefix + "ctrl").c_str(), 1);
    }
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

#include "host/lifecycle.h"

#include "core/bookmark_commands.h"
#include "host/globals.h"
#include "host/host_api.h"
#include "persistence/project_records.h"
#include "persistence/settings_keys.h"
#include "ui/bookmarks_window.h"
#include "ui/panel.h"

int plugin_data(char* name_buffer)
{
    lstrcpyA(name_buffer, PLUGIN_NAME);
    return PLUGIN_INTERFACE_VERSION;
}

int plugin_init(int host_version, HWND main_window)
{
    if (host_version < PLUGIN_INTERFACE_VERSION) return -1;  // before touching anything
    host_main_window = main_window;
    panel_window = create_panel(main_window);
    restore_panel_position();
    if (host_read_int(module_instance, KEY_AUTO_SHOW, 1)) ShowWindow(panel_window, SW_SHOWNORMAL);
    // The banner is passed as the format itself, so it holds no per-cent sign.
    host_log(0, 0, PLUGIN_NAME " Plug-in by " PLUGIN_CREDIT);
    reopen_bookmarks_window();
    return 0;
}

void plugin_reset()
{
    clear_bookmarks();
    forget_saved_base();
}

int plugin_close()
{
    save_panel_position();  // bookmarks stay until the host resets or unloads
    save_bookmarks_window_state();
    return 0;
}

// The sandbox's plug-ins: loading them the way the debugger does, their menus,
// the keys offered to them, the settings and project stores they write to,
// and their ending.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "sandbox/app/menu_text.h"
#include "sandbox/plugin_module.h"

struct HostedPlugin {
    PluginModule module;
    std::string name;                 // as _ODBG_Plugindata gave it
    std::vector<MenuItem> main_menu;  // empty: no entry, or a rejected description
};

// Where the stores are kept (set before loading).
void set_store_paths(const std::string& ini_path, const std::string& project_path);

// Every DLL in folder, in name order.
std::vector<std::string> plugin_files_in(const std::string& folder);

// Loads and starts each file; refusals are logged and the DLL unloaded.
void load_plugins(const std::vector<std::string>& files, HWND main_window);
const std::vector<HostedPlugin>& hosted_plugins();

// Menu ids: plug-in i's main-menu item with code c is MAIN_MENU_BASE + i * 256 + c.
const int MAIN_MENU_BASE = 0x1000;
const int CONTEXT_MENU_BASE = 0x5000;
void append_plugin_menus(HMENU plugins_menu);
// A WM_COMMAND id of the Plugins menu: runs the action; false for another id.
bool run_main_menu_command(int id);

// Builds the CPU pane's context menu from origin 31 and runs the chosen item.
void run_context_menu(HWND owner, POINT screen, void* view);

// Offers a key of the CPU pane to each plug-in in turn; true when one took it.
bool offer_shortcut(int ctrl, int alt, int shift, int key, void* view);

// The project file: written through _ODBG_Pluginsaveudd, read back into _ODBG_Pluginuddrecord.
void save_project();
void open_project();
void reset_plugins();

// _ODBG_Pluginclose of each; false when one refuses to close.
bool close_plugins();
// _ODBG_Plugindestroy of each, then FreeLibrary.
void unload_plugins();

// A line of the host's own in its log (address 0).
void host_message(int emphasis, const char* format, ...) __attribute__((format(printf, 2, 3)));

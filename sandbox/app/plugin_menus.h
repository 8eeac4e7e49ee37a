// The plug-ins' menus: each plug-in's main-menu entry in the Plugins menu and
// the CPU pane's context menu from their origin-31 entries, both built from
// the descriptions _ODBG_Pluginmenu gives, and the chosen item handed to
// _ODBG_Pluginaction.
#pragma once

#include <windows.h>

// Menu ids: plug-in i's main-menu item with code c is MAIN_MENU_BASE + i * 256 + c.
const int MAIN_MENU_BASE = 0x1000;
const int CONTEXT_MENU_BASE = 0x5000;
void append_plugin_menus(HMENU plugins_menu);
// A WM_COMMAND id of the Plugins menu: runs the action; false for another id.
bool run_main_menu_command(int id);

// Builds the CPU pane's context menu from origin 31 and runs the chosen item.
void run_context_menu(HWND owner, POINT screen, void* view);

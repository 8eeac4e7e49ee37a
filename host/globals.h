// The plug-in-wide handles, each set once and never released by the plug-in.
// The fourth global, the bookmark list, lives in core/bookmark_list.h.
#pragma once

#include <windows.h>

extern HINSTANCE module_instance;  // set by DllMain on process attach
extern HWND host_main_window;      // the debugger's main window, from init
extern HWND panel_window;          // the navigation panel, created at init

// Plug-in name and version text, as shown in menus, titles and the About box.
#define PLUGIN_NAME "Korvantis"
#define PLUGIN_VERSION "1.6"
#define PLUGIN_CREDIT "the Korvantis developers"

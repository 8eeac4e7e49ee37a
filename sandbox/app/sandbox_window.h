// The sandbox's main window: the CPU pane with the sample program, the log
// pane, the notice line and the menus (File, View and Plugins).
#pragma once

#include <windows.h>

// Fixed places: Wine runs without a window manager here, and the gesture
// tests find things by screen coordinates.
const int MAIN_WINDOW_X = 0;
const int MAIN_WINDOW_Y = 0;
const int MAIN_WINDOW_WIDTH = 900;
const int MAIN_WINDOW_HEIGHT = 700;

// Creates the window and gives the plug-in host its ways to the panes.
HWND create_sandbox_window(HINSTANCE instance);
// Adds the Plugins menu once the plug-ins are loaded.
void build_plugins_menu(HWND main_window);

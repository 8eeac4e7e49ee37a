// The floating navigation panel: "<", ">" and "#" buttons and the bookmark
// count in its title. Created once, hidden and shown, never re-created.
#pragma once

#include <windows.h>

HWND create_panel(HWND owner);
INT_PTR CALLBACK panel_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void save_panel_position();
void restore_panel_position();

// Keeps the plug-ins' owned windows (the navigation panel) in front of the
// main window under Wine without a window manager.
#pragma once

#include <windows.h>

// Raises the windows owned by owner a moment from now (a timer of owner's).
void raise_owned_windows_soon(HWND owner);
// For owner's WM_TIMER: raises them when timer is this one; false otherwise.
bool raise_owned_windows_on_timer(HWND owner, WPARAM timer);

// Keeps a stored window place reachable: a monitor unplugged, a lowered
// resolution or a hand-edited setting can leave a window where no screen
// shows its title bar, and then the user cannot drag it back.
#pragma once

#include <windows.h>

// Given the window's rectangle at its stored place and the height of its
// title bar (the top rows of the rectangle): when no part of the title bar
// lies on a screen, moves the rectangle, size kept, into the work area of the
// monitor nearest to it. A title bar at least partly on a screen is left as it is.
void keep_title_bar_on_screen(RECT& rect, int title_bar_height);

// The height of a window's title bar and top frame: from its top edge to its
// client area.
int title_bar_height(HWND window);
